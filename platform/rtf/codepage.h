#pragma once

// Windows code pages through iconv: their converter names, and the single-
// and double-byte code pages of RTF text.

#include <QByteArray>
#include <QString>

#include <memory>
#include <unordered_map>

namespace rtf {

/// What RTF calls ANSI.
constexpr int kWindows1252 = 1252;
/// Symbol fonts: bytes are glyph numbers, kept as U+0000..U+00FF.
constexpr int kSymbolCodePage = 42;

/// The iconv name of a Windows code page; null for one without a converter
/// here.
const char* IconvCodePageName(int codePage);

/// The code page of an RTF \fcharset value; 0 (ANSI) and unknown values give
/// the document's code page.
int CodePageOfCharset(int charset, int documentCodePage);

/// True for the lead bytes of double-byte code pages (932, 936, 949, 950,
/// 1361): such a byte and the next one form one character.
bool IsLeadByte(int codePage, unsigned char byte);

/// @short Decodes bytes of Windows code pages; keeps one iconv handle per
/// code page for its lifetime. Bytes that do not decode become U+FFFD.
class CodePageDecoder {
public:
    CodePageDecoder();
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    void append(QString& out, const char* bytes, qsizetype size, int codePage);

private:
    struct Converter;
    Converter* converter(int codePage);
    std::unordered_map<int, std::unique_ptr<Converter>> m_converters;
};

/// The Windows-1252 byte of a character, or -1 when it has none.
int Windows1252Byte(char16_t c);

}  // namespace rtf
