#pragma once

// Windows code pages through iconv: their converter names, decoding of
// single- and double-byte text (RTF files, legacy Jet databases), and the
// one decoding of 8-bit text files that every reader of such files uses.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <unordered_map>

namespace codepage {

/// What RTF calls ANSI, and the code page of Jet files that name none.
constexpr int kWindows1252 = 1252;
/// Symbol fonts: bytes are glyph numbers, kept as U+0000..U+00FF.
constexpr int kSymbolCodePage = 42;

/// The iconv name of a Windows code page; null for one without a converter
/// here.
const char* IconvCodePageName(int codePage);

/// The code page of a Windows character set (RTF \fcharset); 0 (ANSI) and unknown values give
/// the document's code page.
int CodePageOfCharset(int charset, int documentCodePage);

/// True for the lead bytes of double-byte code pages (932, 936, 949, 950,
/// 1361): such a byte and the next one form one character.
bool IsLeadByte(int codePage, unsigned char byte);

/// What a byte (or cut sequence) that the code page does not define becomes.
enum class Undecodable {
    Replace,   // U+FFFD
    KeepByte,  // the character of the byte's value, so no byte is lost
};

/// @short Decodes bytes of Windows code pages; keeps one iconv handle per
/// code page for its lifetime. A code page no converter knows decodes as
/// Windows-1252, whose unassigned bytes are the C1 controls of their value.
class CodePageDecoder {
public:
    explicit CodePageDecoder(Undecodable undecodable = Undecodable::Replace);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    /// False when the code page has no converter (it then reads as 1252).
    bool Knows(int codePage);
    void append(QString& out, const char* bytes, qsizetype size, int codePage);

private:
    struct Converter;
    Converter* converter(int codePage);
    Undecodable m_undecodable;
    std::unordered_map<int, std::unique_ptr<Converter>> m_converters;
};

/// The character of a Windows-1252 byte; an unassigned byte is the C1
/// control of its value.
char16_t Windows1252Char(unsigned char byte);
/// The Windows-1252 byte of a character, or -1 when it has none.
int Windows1252Byte(char16_t c);

/// True when the bytes are well-formed UTF-8: no stray or missing
/// continuation byte, overlong form, surrogate or value beyond U+10FFFF.
/// With `complete` false the bytes are a block of a longer text, and a
/// sequence cut off by their end still passes.
bool IsUtf8(QByteArrayView bytes, bool complete = true);

/// The text of a file of 8-bit text (word lists, dictionaries, settings):
/// after the mark FF FE, UTF-16LE (an odd last byte is half a character and
/// left out); after EF BB BF, UTF-8. Without a mark, UTF-8 when the bytes
/// are well-formed UTF-8 (files made on Linux are), else Windows-1252, the
/// code page files made on Windows use, which keeps every byte. The mark is
/// not part of the text.
QString DecodeTextFile(QByteArrayView bytes);

}  // namespace codepage
