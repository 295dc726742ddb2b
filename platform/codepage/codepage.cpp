#include "platform/codepage/codepage.h"

#include <iconv.h>

#include <cerrno>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "iconv's UTF-16LE is appended to QString as it stands");

namespace codepage {

namespace {

// Windows-1252 0x80..0x9F; the rest of the page is Latin-1. Unassigned bytes
// decode as the C1 control of the same number, as Windows does.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendWindows1252(QString& out, const char* bytes, qsizetype size)
{
    out.reserve(out.size() + size);
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out += QChar(b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : char16_t(b));
    }
}

// Converters that glibc's iconv offers for Windows code pages.
const struct {
    int codePage;
    const char* name;
} kIconvNames[] = {
    {154, "PT154"},          {437, "CP437"},          {500, "IBM500"},         {708, "ASMO-708"},
    {737, "CP737"},          {775, "CP775"},          {850, "CP850"},          {852, "CP852"},
    {855, "CP855"},          {857, "CP857"},          {858, "CP858"},          {860, "CP860"},
    {861, "CP861"},          {862, "CP862"},          {863, "CP863"},          {864, "CP864"},
    {865, "CP865"},          {866, "CP866"},          {869, "CP869"},          {874, "CP874"},
    {932, "CP932"},          {936, "CP936"},          {949, "CP949"},          {950, "CP950"},
    {1125, "CP1125"},        {1133, "CP1133"},        {1200, "UTF-16LE"},      {1201, "UTF-16BE"},
    {1250, "CP1250"},        {1251, "CP1251"},        {1252, "CP1252"},        {1253, "CP1253"},
    {1254, "CP1254"},        {1255, "CP1255"},        {1256, "CP1256"},        {1257, "CP1257"},
    {1258, "CP1258"},        {1361, "CP1361"},        {10000, "MACINTOSH"},    {10007, "MAC-CYRILLIC"},
    {10017, "MACUKRAINIAN"}, {10029, "MAC-CENTRALEUROPE"}, {10079, "MAC-IS"},  {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},     {20106, "ISO646-DE"},    {20107, "ISO646-SE"},    {20108, "ISO646-NO"},
    {20127, "ASCII"},        {20866, "KOI8-R"},       {20932, "EUC-JP"},       {20936, "GB2312"},
    {20949, "EUC-KR"},       {21866, "KOI8-U"},       {28591, "ISO-8859-1"},   {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},   {28594, "ISO-8859-4"},   {28595, "ISO-8859-5"},   {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},   {28598, "ISO-8859-8"},   {28599, "ISO-8859-9"},   {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"},  {38598, "ISO-8859-8"},   {50220, "ISO-2022-JP"},  {50221, "ISO-2022-JP"},
    {50222, "ISO-2022-JP"},  {50225, "ISO-2022-KR"},  {50227, "ISO-2022-CN"},  {51932, "EUC-JP"},
    {51936, "EUC-CN"},       {51949, "EUC-KR"},       {54936, "GB18030"},      {65000, "UTF-7"},
    {65001, "UTF-8"},        {65005, "UTF-32LE"},
};

}  // namespace

const char* IconvCodePageName(int codePage)
{
    for (const auto& entry : kIconvNames)
        if (entry.codePage == codePage)
            return entry.name;
    return nullptr;
}

int CodePageOfCharset(int charset, int documentCodePage)
{
    switch (charset) {
    case 2: return kSymbolCodePage;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    default: return documentCodePage;
    }
}

bool IsLeadByte(int codePage, unsigned char b)
{
    switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    case 1361: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
    default: return false;
    }
}

char16_t Windows1252Char(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHigh1252[byte - 0x80] : char16_t(byte);
}

int Windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh1252[i] == c)
            return 0x80 + i;
    return -1;
}

struct CodePageDecoder::Converter {
    iconv_t handle = reinterpret_cast<iconv_t>(-1);
    ~Converter()
    {
        if (handle != reinterpret_cast<iconv_t>(-1))
            iconv_close(handle);
    }
};

CodePageDecoder::CodePageDecoder(Undecodable undecodable) : m_undecodable(undecodable) {}
CodePageDecoder::~CodePageDecoder() = default;

CodePageDecoder::Converter* CodePageDecoder::converter(int codePage)
{
    auto it = m_converters.find(codePage);
    if (it != m_converters.end())
        return it->second.get();
    auto conv = std::make_unique<Converter>();
    if (const char* name = IconvCodePageName(codePage))
        conv->handle = iconv_open("UTF-16LE", name);
    Converter* raw = conv.get();
    m_converters.emplace(codePage, std::move(conv));
    return raw;
}

bool CodePageDecoder::Knows(int codePage)
{
    if (codePage == kWindows1252 || codePage == kSymbolCodePage)
        return true;
    return converter(codePage)->handle != reinterpret_cast<iconv_t>(-1);
}

void CodePageDecoder::append(QString& out, const char* bytes, qsizetype size, int codePage)
{
    if (codePage == kSymbolCodePage) {
        for (qsizetype i = 0; i < size; ++i)
            out += QChar(char16_t(static_cast<unsigned char>(bytes[i])));
        return;
    }
    Converter* conv = codePage == kWindows1252 ? nullptr : converter(codePage);
    if (!conv || conv->handle == reinterpret_cast<iconv_t>(-1)) {
        AppendWindows1252(out, bytes, size);
        return;
    }
    iconv(conv->handle, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes);
    size_t inLeft = size_t(size);
    char16_t buffer[256];
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(conv->handle, &in, &inLeft, &outPtr, &outLeft);
        out.append(reinterpret_cast<const QChar*>(buffer), qsizetype((sizeof buffer - outLeft) / 2));
        if (rc == size_t(-1) && errno != E2BIG) {
            // An invalid or cut sequence: one character per byte skipped.
            out += m_undecodable == Undecodable::Replace ? QChar(QChar::ReplacementCharacter)
                                                         : QChar(char16_t(static_cast<unsigned char>(*in)));
            ++in;
            --inLeft;
            iconv(conv->handle, nullptr, nullptr, nullptr, nullptr);
        }
    }
}

bool IsUtf8(QByteArrayView bytes, bool complete)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        int follow = 0;
        // The second byte's range excludes overlong forms, surrogates
        // (ED A0..BF) and values beyond U+10FFFF (F4 90..).
        unsigned char low = 0x80, high = 0xBF;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        for (int k = 1; k <= follow; ++k) {
            if (i + k >= n)
                return !complete;
            const unsigned char next = p[i + k];
            if (k == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80)
                return false;
        }
        i += follow + 1;
    }
    return true;
}

QString DecodeTextFile(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        const qsizetype units = (bytes.size() - 2) / 2;
        QString text(units, Qt::Uninitialized);
        for (qsizetype i = 0; i < units; ++i)
            text[i] = QChar(char16_t(quint8(bytes[2 + 2 * i]) | quint8(bytes[3 + 2 * i]) << 8));
        return text;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    if (IsUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString text;
    AppendWindows1252(text, bytes.data(), bytes.size());
    return text;
}

}  // namespace codepage
