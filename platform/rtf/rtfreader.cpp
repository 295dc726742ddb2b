#include "platform/codepage/codepage.h"
#include "platform/rtf/rtfreader.h"

#include "platform/rtf/richtextmap.h"
#include "platform/rtf/rtfformat.h"

#include <QBuffer>
#include <QColor>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtf {

namespace {

// Groups deeper than this share the state of this depth, so a file of
// nothing but "{" costs no memory beyond a counter.
constexpr int kMaxDepth = 1024;
// Numeric parameters beyond this are clamped; RTF's own limit is 32 bits.
constexpr qint64 kParameterLimit = 1'000'000'000;
constexpr int kMaxKeywordLength = 32;
constexpr int kMaxUnicodeSkip = 16;
// Pictures are never laid out larger than this (pixels) whatever the file says.
constexpr double kMaxPicturePixels = 16384.0;
constexpr int kDefaultHalfPoints = 24;

enum class Dest : quint8 {
    Text,
    Skip,
    FontTable,
    ColorTable,
    Picture,
    Field,
    FieldInstruction,
    Object,
    ListTable,
    List,
    ListLevel,
    ListOverrideTable,
    ListOverride,
    Numbering,  // the old \pn paragraph numbering
};

enum class ListKind : quint8 { None, Bullet, Decimal, UpperRoman, LowerRoman, UpperAlpha, LowerAlpha };

struct CharState {
    qint32 font = -1;  // font number; -1: the default font
    qint32 halfPoints = kDefaultHalfPoints;
    qint32 foreground = 0;  // colour table index; 0 automatic
    qint32 background = 0;  // colour table index; 0 none
    qint32 link = 0;        // 1-based index of the hyperlink target
    quint8 bold = 0, italic = 0, strike = 0, hidden = 0, instruction = 0, caps = 0, smallCaps = 0;
    quint8 underline = 0;  // QTextCharFormat::UnderlineStyle
    quint8 vertical = 0;   // 0 normal, 1 superscript, 2 subscript
    bool operator==(const CharState&) const = default;
};

struct CharStateHash {
    size_t operator()(const CharState& s) const
    {
        size_t h = size_t(s.font) * 31 + size_t(s.halfPoints);
        h = h * 31 + size_t(s.foreground);
        h = h * 31 + size_t(s.background);
        h = h * 31 + size_t(s.link);
        h = h * 31 + (s.bold | s.italic << 1 | s.strike << 2 | s.hidden << 3 | s.instruction << 4 | s.caps << 5 |
                      s.smallCaps << 6);
        return h * 31 + size_t(s.underline << 8 | s.vertical);
    }
};

struct ParaState {
    qint32 left = 0, right = 0, first = 0, before = 0, after = 0, line = 0;  // twips
    qint32 tabs = 0;      // index into the tab sets; 0 none
    qint32 listOverride = 0;  // \ls number; 0 none
    qint32 listLevel = 0;
    quint8 lineMultiple = 0;
    quint8 align = 0;  // 0 left, 1 right, 2 centre, 3 justified
    quint8 rtl = 0;
    quint8 inTable = 0;
    ListKind numbering = ListKind::None;  // from \pn
    bool operator==(const ParaState&) const = default;
};

struct Group {
    Dest dest = Dest::Text;
    CharState chr;
    ParaState para;
    qint32 unicodeSkip = 1;
    qint32 field = -1;  // index of the innermost field
    bool pictureRoot = false;
    bool objectRoot = false;
    bool numberingRoot = false;
    bool fieldRoot = false;
    bool uprRoot = false;
};

struct FontEntry {
    QString name;
    int charset = 0;
    int codePage = 0;  // \cpg; 0 none
};

struct Run {
    qint32 start, length;
    qint32 format;  // index into the char states
    qint32 image = -1;
};

enum class ParaEnd : quint8 { None, Par, Cell };

struct Item {
    bool row = false;  // a \row; else a paragraph
    ParaEnd end = ParaEnd::None;
    qint32 firstRun = 0, runCount = 0;
    qint32 para = 0;    // index into the para states
    qint32 rowDef = 0;  // index into the row definitions
    qint32 markFormat = 0;  // char state at the paragraph mark: an empty paragraph's format
};

struct Picture {
    QByteArray data;
    PictureKind kind = PictureKind::Png;
    bool known = false;
    bool dib = false;
    qint32 picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
    int hexHigh = -1;
};

struct Image {
    QByteArray data;        // what the document shows (PNG, JPEG, or a placeholder)
    QByteArray original;    // what the file held, written back unchanged
    PictureKind kind = PictureKind::Png;
    double width = 0, height = 0;  // pixels
};

struct Field {
    QString instruction;
    qint32 link = 0;
    bool emitted = false;
};

struct ListDef {
    qint32 id = 0;
    std::vector<int> levelFormats;  // \levelnfc per level
};

struct ListOverride {
    qint32 listId = 0, ls = 0;
};

enum class Kw : quint16 {
    // destinations
    Rtf, FontTable, ColorTable, StyleSheet, Info, Pict, Field, FldInst, FldRslt, Object, Result, ShpPict,
    NonShpPict, ShpInst, ListTable, List, ListLevel, ListOverrideTable, ListOverride, Pn, SkipDest, Ud, Upr,
    // document
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff, Cpg, FCharset, Uc, U,
    // characters
    Plain, F, Fs, B, I, Ul, UlNone, UlDotted, UlDash, UlWave, Strike, V, Cf, Cb, Highlight, Super, Sub,
    NoSuperSub, Up, Dn, Caps, Scaps,
    // paragraphs
    Pard, Ql, Qr, Qc, Qj, Li, Ri, Fi, Sb, Sa, Sl, SlMult, Tx, Tqr, Tqc, Tqdec, InTbl, RtlPar, LtrPar, Ls, Ilvl,
    // specials
    Par, Line, Tab, Cell, Row, NestCell, NestRow, Page, Sect, EmDash, EnDash, EmSpace, EnSpace, Bullet,
    LQuote, RQuote, LdblQuote, RdblQuote, Zwj, Zwnj, LtrMark, RtlMark,
    // tables
    Trowd, Cellx,
    // colours
    Red, Green, Blue,
    // pictures
    PngBlip, JpegBlip, DiBitmap, WBitmap, WMetafile, EmfBlip, MacPict, PmMetafile, Picw, Pich, PicwGoal,
    PichGoal, PicScaleX, PicScaleY, Bin,
    // lists
    ListId, LevelNfc, PnLvlBlt, PnLvlBody, PnLvlCont, PnDec, PnUcLtr, PnLcLtr, PnUcRm, PnLcRm, PnIndent,
};

const std::unordered_map<std::string_view, Kw>& Keywords()
{
    static const std::unordered_map<std::string_view, Kw> table = {
        {"rtf", Kw::Rtf}, {"urtf", Kw::Rtf}, {"fonttbl", Kw::FontTable}, {"colortbl", Kw::ColorTable},
        {"stylesheet", Kw::StyleSheet}, {"info", Kw::Info}, {"pict", Kw::Pict}, {"field", Kw::Field},
        {"fldinst", Kw::FldInst}, {"fldrslt", Kw::FldRslt}, {"object", Kw::Object}, {"result", Kw::Result},
        {"shppict", Kw::ShpPict}, {"nonshppict", Kw::NonShpPict}, {"shpinst", Kw::ShpInst},
        {"listtable", Kw::ListTable}, {"list", Kw::List}, {"listlevel", Kw::ListLevel},
        {"listoverridetable", Kw::ListOverrideTable}, {"listoverride", Kw::ListOverride}, {"pn", Kw::Pn},
        {"ud", Kw::Ud}, {"upr", Kw::Upr},
        // Destinations whose text is not part of the document.
        {"header", Kw::SkipDest}, {"headerl", Kw::SkipDest}, {"headerr", Kw::SkipDest},
        {"headerf", Kw::SkipDest}, {"footer", Kw::SkipDest}, {"footerl", Kw::SkipDest},
        {"footerr", Kw::SkipDest}, {"footerf", Kw::SkipDest}, {"footnote", Kw::SkipDest},
        {"pntext", Kw::SkipDest}, {"listtext", Kw::SkipDest}, {"pntxta", Kw::SkipDest},
        {"pntxtb", Kw::SkipDest}, {"author", Kw::SkipDest}, {"operator", Kw::SkipDest},
        {"title", Kw::SkipDest}, {"subject", Kw::SkipDest}, {"keywords", Kw::SkipDest},
        {"comment", Kw::SkipDest}, {"doccomm", Kw::SkipDest}, {"objdata", Kw::SkipDest},
        {"objclass", Kw::SkipDest}, {"objname", Kw::SkipDest}, {"leveltext", Kw::SkipDest},
        {"levelnumbers", Kw::SkipDest}, {"listname", Kw::SkipDest}, {"template", Kw::SkipDest},
        {"xe", Kw::SkipDest}, {"tc", Kw::SkipDest}, {"txe", Kw::SkipDest}, {"annotation", Kw::SkipDest},
        {"atnid", Kw::SkipDest}, {"atnauthor", Kw::SkipDest}, {"buptim", Kw::SkipDest},
        {"creatim", Kw::SkipDest}, {"revtim", Kw::SkipDest}, {"printim", Kw::SkipDest},
        {"pnseclvl", Kw::SkipDest}, {"private", Kw::SkipDest}, {"revtbl", Kw::SkipDest},
        {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca}, {"ansicpg", Kw::AnsiCpg},
        {"deff", Kw::Deff}, {"cpg", Kw::Cpg}, {"fcharset", Kw::FCharset}, {"uc", Kw::Uc}, {"u", Kw::U},
        {"plain", Kw::Plain}, {"f", Kw::F}, {"fs", Kw::Fs}, {"b", Kw::B}, {"i", Kw::I}, {"ul", Kw::Ul},
        {"ulnone", Kw::UlNone}, {"uld", Kw::UlDotted}, {"uldash", Kw::UlDash}, {"uldashd", Kw::UlDash},
        {"uldashdd", Kw::UlDash}, {"uldb", Kw::Ul}, {"ulth", Kw::Ul}, {"ulw", Kw::Ul},
        {"ulwave", Kw::UlWave}, {"strike", Kw::Strike}, {"striked", Kw::Strike}, {"v", Kw::V},
        {"cf", Kw::Cf}, {"cb", Kw::Cb}, {"chcbpat", Kw::Cb}, {"highlight", Kw::Highlight},
        {"super", Kw::Super}, {"sub", Kw::Sub}, {"nosupersub", Kw::NoSuperSub}, {"up", Kw::Up},
        {"dn", Kw::Dn}, {"caps", Kw::Caps}, {"scaps", Kw::Scaps},
        {"pard", Kw::Pard}, {"ql", Kw::Ql}, {"qr", Kw::Qr}, {"qc", Kw::Qc}, {"qj", Kw::Qj}, {"li", Kw::Li},
        {"lin", Kw::Li}, {"ri", Kw::Ri}, {"rin", Kw::Ri}, {"fi", Kw::Fi}, {"sb", Kw::Sb}, {"sa", Kw::Sa},
        {"sl", Kw::Sl}, {"slmult", Kw::SlMult}, {"tx", Kw::Tx}, {"tqr", Kw::Tqr}, {"tqc", Kw::Tqc},
        {"tqdec", Kw::Tqdec}, {"intbl", Kw::InTbl}, {"rtlpar", Kw::RtlPar}, {"ltrpar", Kw::LtrPar},
        {"ls", Kw::Ls}, {"ilvl", Kw::Ilvl},
        {"par", Kw::Par}, {"line", Kw::Line}, {"tab", Kw::Tab}, {"cell", Kw::Cell}, {"row", Kw::Row},
        {"nestcell", Kw::NestCell}, {"nestrow", Kw::NestRow}, {"page", Kw::Page}, {"sect", Kw::Sect},
        {"emdash", Kw::EmDash}, {"endash", Kw::EnDash}, {"emspace", Kw::EmSpace}, {"enspace", Kw::EnSpace},
        {"bullet", Kw::Bullet}, {"lquote", Kw::LQuote}, {"rquote", Kw::RQuote},
        {"ldblquote", Kw::LdblQuote}, {"rdblquote", Kw::RdblQuote}, {"zwj", Kw::Zwj}, {"zwnj", Kw::Zwnj},
        {"ltrmark", Kw::LtrMark}, {"rtlmark", Kw::RtlMark},
        {"trowd", Kw::Trowd}, {"cellx", Kw::Cellx},
        {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
        {"pngblip", Kw::PngBlip}, {"jpegblip", Kw::JpegBlip}, {"dibitmap", Kw::DiBitmap},
        {"wbitmap", Kw::WBitmap}, {"wmetafile", Kw::WMetafile}, {"emfblip", Kw::EmfBlip},
        {"macpict", Kw::MacPict}, {"pmmetafile", Kw::PmMetafile}, {"picw", Kw::Picw}, {"pich", Kw::Pich},
        {"picwgoal", Kw::PicwGoal}, {"pichgoal", Kw::PichGoal}, {"picscalex", Kw::PicScaleX},
        {"picscaley", Kw::PicScaleY}, {"bin", Kw::Bin},
        {"listid", Kw::ListId}, {"levelnfc", Kw::LevelNfc}, {"levelnfcn", Kw::LevelNfc},
        {"pnlvlblt", Kw::PnLvlBlt}, {"pnlvlbody", Kw::PnLvlBody}, {"pnlvlcont", Kw::PnLvlCont},
        {"pndec", Kw::PnDec}, {"pnucltr", Kw::PnUcLtr}, {"pnlcltr", Kw::PnLcLtr}, {"pnucrm", Kw::PnUcRm},
        {"pnlcrm", Kw::PnLcRm}, {"pnindent", Kw::PnIndent},
    };
    return table;
}

int HexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

ListKind ListKindOfNfc(int nfc)
{
    switch (nfc) {
    case 23: return ListKind::Bullet;
    case 1: return ListKind::UpperRoman;
    case 2: return ListKind::LowerRoman;
    case 3: return ListKind::UpperAlpha;
    case 4: return ListKind::LowerAlpha;
    case 255: return ListKind::None;
    default: return ListKind::Decimal;
    }
}

QTextListFormat::Style ListStyle(ListKind kind)
{
    switch (kind) {
    case ListKind::Bullet: return QTextListFormat::ListDisc;
    case ListKind::UpperRoman: return QTextListFormat::ListUpperRoman;
    case ListKind::LowerRoman: return QTextListFormat::ListLowerRoman;
    case ListKind::UpperAlpha: return QTextListFormat::ListUpperAlpha;
    case ListKind::LowerAlpha: return QTextListFormat::ListLowerAlpha;
    default: return QTextListFormat::ListDecimal;
    }
}

const QByteArray& PlaceholderPng()
{
    static const QByteArray png = [] {
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(QColor(224, 224, 224));
        for (int i = 0; i < 16; ++i) {
            image.setPixel(i, 0, qRgb(128, 128, 128));
            image.setPixel(i, 15, qRgb(128, 128, 128));
            image.setPixel(0, i, qRgb(128, 128, 128));
            image.setPixel(15, i, qRgb(128, 128, 128));
        }
        return PngBytes(image);
    }();
    return png;
}

// A device-independent bitmap as stored in RTF (header and bits, no file
// header) turned into PNG; empty when it is not a valid bitmap.
QByteArray DibToPng(const QByteArray& dib)
{
    if (dib.size() < 40)
        return {};
    auto u32 = [&](int at) {
        return quint32(quint8(dib[at])) | quint32(quint8(dib[at + 1])) << 8 | quint32(quint8(dib[at + 2])) << 16 |
               quint32(quint8(dib[at + 3])) << 24;
    };
    const quint32 headerSize = u32(0);
    if (headerSize < 40 || headerSize > quint32(dib.size()))
        return {};
    const int bitCount = quint8(dib[14]) | quint8(dib[15]) << 8;
    const quint32 compression = u32(16);
    quint32 colours = u32(32);
    if (colours == 0 && bitCount <= 8)
        colours = 1u << bitCount;
    if (colours > 256)
        return {};
    quint32 offset = 14 + headerSize + colours * 4;
    if (compression == 3 && headerSize == 40)
        offset += 12;
    QByteArray file;
    file.reserve(dib.size() + 14);
    const quint32 size = quint32(dib.size()) + 14;
    const char head[14] = {'B', 'M', char(size), char(size >> 8), char(size >> 16), char(size >> 24), 0, 0, 0, 0,
                           char(offset), char(offset >> 8), char(offset >> 16), char(offset >> 24)};
    file.append(head, 14);
    file.append(dib);
    QImage image;
    if (!image.loadFromData(file, "BMP"))
        return {};
    return PngBytes(image);
}

class Parser {
public:
    explicit Parser(const QByteArray& bytes) : m_bytes(bytes) {}

    ReadResult parse();

    // Results, read by the builder.
    QString m_text;
    std::vector<Run> m_runs;
    std::vector<Item> m_items;
    std::vector<CharState> m_charStates;
    std::vector<ParaState> m_paraStates;
    std::vector<std::vector<int>> m_rowDefs{{}};
    std::vector<QList<QTextOption::Tab>> m_tabSets{{}};
    std::vector<Image> m_images;
    std::vector<QString> m_links;
    std::map<int, FontEntry> m_fonts;
    std::vector<QColor> m_colors;
    std::vector<ListDef> m_listDefs;
    std::vector<ListOverride> m_listOverrides;
    int m_defaultFont = 0;

    ListKind listKindOf(const ParaState& para) const;

private:
    Group& top() { return m_stack.back(); }
    void pushGroup();
    void popGroup();
    void controlWord(std::string_view word, bool hasParam, qint64 param);
    void controlSymbol(char c);
    void destination(Kw kw);
    void addChar(char16_t c);
    void addText(QStringView text);
    void addTextWith(QStringView text, const CharState& state);
    void addImage(Image image);
    void flushBytes();
    void endParagraph(ParaEnd end);
    void endRow();
    int charStateIndex(const CharState& state);
    int paraStateIndex(const ParaState& state);
    int codePageOfFont(int font) const;
    void finishPicture();
    void startFieldResult();
    void emitFieldInstruction(Field& field, const CharState& state);
    void readBinary(qint64 count);
    bool skipping() const { return m_skipChars > 0; }

    const QByteArray& m_bytes;
    const char* m_p = nullptr;
    const char* m_end = nullptr;
    std::vector<Group> m_stack;
    int m_extraDepth = 0;  // groups beyond kMaxDepth
    bool m_ignorable = false;  // "\*" seen: the next destination is ignorable
    int m_skipChars = 0;       // fallback characters after \u still to skip
    int m_documentCodePage = codepage::kWindows1252;
    QByteArray m_pendingBytes;  // \'hh bytes not yet decoded
    codepage::CodePageDecoder m_decoder;
    CharState m_lastState;
    int m_lastStateIndex = -1;
    std::unordered_map<CharState, int, CharStateHash> m_charIndex;
    int m_paraStart = 0;  // first run of the open paragraph
    bool m_paraOpen = false;
    std::vector<int> m_rowDef;
    int m_cellsInRow = 0;
    int m_fontBeingDefined = -1;
    QByteArray m_fontName;
    int m_red = -1, m_green = -1, m_blue = -1;
    Picture m_picture;
    std::vector<Field> m_fields;
    int m_objectImages = 0;
    QTextOption::TabType m_nextTabType = QTextOption::LeftTab;
    bool m_damaged = false;
    QString m_error;
};

ReadResult Parser::parse()
{
    ReadResult result;
    if (!IsRtf(m_bytes)) {
        result.error = QStringLiteral("The data is not RTF.");
        return result;
    }
    m_p = m_bytes.constData();
    m_end = m_p + m_bytes.size();
    while (m_p < m_end && *m_p != '{')
        ++m_p;
    m_stack.reserve(64);
    m_stack.push_back(Group{});
    m_stack.back().dest = Dest::Skip;  // nothing counts before the root group opens
    m_colors.reserve(32);
    bool closed = false;
    while (m_p < m_end && !closed) {
        const unsigned char c = static_cast<unsigned char>(*m_p);
        if (c == '{') {
            ++m_p;
            flushBytes();
            m_skipChars = 0;
            pushGroup();
            if (m_stack.size() == 2 && m_extraDepth == 0)
                top().dest = Dest::Text;
        } else if (c == '}') {
            ++m_p;
            flushBytes();
            m_skipChars = 0;
            popGroup();
            closed = m_stack.size() == 1 && m_extraDepth == 0;
        } else if (c == '\\') {
            ++m_p;
            if (m_p >= m_end)
                break;
            const unsigned char d = static_cast<unsigned char>(*m_p);
            if (IsLetter(d)) {
                const char* start = m_p;
                while (m_p < m_end && IsLetter(static_cast<unsigned char>(*m_p)) && m_p - start < kMaxKeywordLength)
                    ++m_p;
                while (m_p < m_end && IsLetter(static_cast<unsigned char>(*m_p)))
                    ++m_p;  // over-long keyword: the rest is not looked at
                const std::string_view word(start, size_t(std::min<qint64>(m_p - start, kMaxKeywordLength)));
                bool negative = false;
                bool hasParam = false;
                qint64 param = 0;
                if (m_p < m_end && *m_p == '-') {
                    negative = true;
                    ++m_p;
                }
                while (m_p < m_end && *m_p >= '0' && *m_p <= '9') {
                    hasParam = true;
                    if (param < kParameterLimit)
                        param = param * 10 + (*m_p - '0');
                    ++m_p;
                }
                param = std::min(param, kParameterLimit);
                if (negative)
                    param = -param;
                if (m_p < m_end && *m_p == ' ')
                    ++m_p;
                controlWord(word, hasParam, param);
            } else {
                ++m_p;
                controlSymbol(char(d));
            }
        } else if (c == '\r' || c == '\n') {
            ++m_p;
        } else {
            // A run of literal bytes.
            const char* start = m_p;
            while (m_p < m_end && *m_p != '{' && *m_p != '}' && *m_p != '\\' && *m_p != '\r' && *m_p != '\n')
                ++m_p;
            const Dest dest = top().dest;
            if (dest == Dest::Picture) {
                for (const char* q = start; q < m_p; ++q) {
                    const int v = HexValue(static_cast<unsigned char>(*q));
                    if (v < 0)
                        continue;
                    if (m_picture.hexHigh < 0) {
                        m_picture.hexHigh = v;
                    } else {
                        m_picture.data.append(char(m_picture.hexHigh << 4 | v));
                        m_picture.hexHigh = -1;
                    }
                }
                continue;
            }
            if (dest == Dest::Skip || dest == Dest::Object || dest == Dest::Field || dest == Dest::ListTable ||
                dest == Dest::List || dest == Dest::ListLevel || dest == Dest::ListOverrideTable ||
                dest == Dest::ListOverride || dest == Dest::Numbering)
                continue;
            const char* q = start;
            while (q < m_p && skipping()) {
                ++q;
                --m_skipChars;
            }
            if (dest == Dest::ColorTable) {
                for (; q < m_p; ++q) {
                    if (*q != ';')
                        continue;
                    m_colors.push_back(m_red < 0 && m_green < 0 && m_blue < 0
                                           ? QColor()
                                           : QColor(std::clamp(m_red, 0, 255), std::clamp(m_green, 0, 255),
                                                    std::clamp(m_blue, 0, 255)));
                    m_red = m_green = m_blue = -1;
                }
                continue;
            }
            if (dest == Dest::FontTable) {
                for (; q < m_p; ++q) {
                    if (*q == ';') {
                        flushBytes();
                        if (m_fontBeingDefined >= 0) {
                            FontEntry& font = m_fonts[m_fontBeingDefined];
                            font.name = font.name.trimmed();
                        }
                        m_fontBeingDefined = -1;
                    } else {
                        m_pendingBytes.append(*q);
                    }
                }
                continue;
            }
            // Text: ASCII straight in; other bytes through the code page.
            while (q < m_p) {
                const char* ascii = q;
                if (m_pendingBytes.isEmpty()) {
                    while (q < m_p && static_cast<unsigned char>(*q) < 0x80)
                        ++q;
                    if (q > ascii) {
                        addText(QString::fromLatin1(ascii, q - ascii));
                        continue;
                    }
                }
                m_pendingBytes.append(*q++);
                // A double-byte character may have its trail byte unescaped.
                const int cp = codePageOfFont(top().chr.font);
                if (q < m_p && codepage::IsLeadByte(cp, static_cast<unsigned char>(m_pendingBytes.back())))
                    m_pendingBytes.append(*q++);
                if (q < m_p && static_cast<unsigned char>(*q) < 0x80)
                    flushBytes();
            }
        }
    }
    flushBytes();
    if (!closed) {
        m_damaged = true;
        if (m_error.isEmpty())
            m_error = QStringLiteral("The RTF data ends before its last group is closed.");
    }
    if (m_paraOpen || m_paraStart < int(m_runs.size()))
        endParagraph(ParaEnd::None);
    if (m_cellsInRow > 0)
        endRow();
    result.ok = true;
    result.damaged = m_damaged;
    result.error = m_error;
    return result;
}

void Parser::pushGroup()
{
    if (int(m_stack.size()) >= kMaxDepth) {
        ++m_extraDepth;
        return;
    }
    Group group = m_stack.back();
    group.pictureRoot = group.objectRoot = group.numberingRoot = group.fieldRoot = group.uprRoot = false;
    m_stack.push_back(group);
}

void Parser::popGroup()
{
    if (m_extraDepth > 0) {
        --m_extraDepth;
        return;
    }
    if (m_stack.size() <= 1) {
        m_damaged = true;
        m_error = QStringLiteral("The RTF data closes more groups than it opens.");
        return;
    }
    const Group closing = m_stack.back();
    m_stack.pop_back();
    if (closing.pictureRoot)
        finishPicture();
    Group& parent = top();
    if (closing.numberingRoot) {
        parent.para.numbering = closing.para.numbering;
        parent.para.listLevel = closing.para.listLevel;
    }
    if (closing.fieldRoot && closing.field >= 0) {
        Field& field = m_fields[size_t(closing.field)];
        if (field.link > 0 && !field.emitted)
            emitFieldInstruction(field, parent.chr);
    }
    if (closing.objectRoot && m_objectImages == 0 && (parent.dest == Dest::Text)) {
        Image image;
        image.data = PlaceholderPng();
        image.kind = PictureKind::Png;
        image.width = image.height = 32;
        addImage(std::move(image));
    }
    if (closing.dest == Dest::FontTable && parent.dest != Dest::FontTable) {
        flushBytes();
        m_fontBeingDefined = -1;
    }
}

int Parser::codePageOfFont(int font) const
{
    if (font < 0)
        font = m_defaultFont;
    auto it = m_fonts.find(font);
    if (it == m_fonts.end())
        return m_documentCodePage;
    if (it->second.codePage > 0)
        return it->second.codePage;
    return codepage::CodePageOfCharset(it->second.charset, m_documentCodePage);
}

void Parser::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    const Dest dest = top().dest;
    if (dest == Dest::FontTable) {
        if (m_fontBeingDefined >= 0) {
            const int cp = codePageOfFont(m_fontBeingDefined);
            m_decoder.append(m_fonts[m_fontBeingDefined].name, m_pendingBytes.constData(), m_pendingBytes.size(),
                             cp == codepage::kSymbolCodePage ? codepage::kWindows1252 : cp);
        }
        m_pendingBytes.clear();
        return;
    }
    QString text;
    m_decoder.append(text, m_pendingBytes.constData(), m_pendingBytes.size(), codePageOfFont(top().chr.font));
    m_pendingBytes.clear();
    addText(text);
}

int Parser::charStateIndex(const CharState& state)
{
    if (m_lastStateIndex >= 0 && state == m_lastState)
        return m_lastStateIndex;
    auto [it, added] = m_charIndex.try_emplace(state, int(m_charStates.size()));
    if (added)
        m_charStates.push_back(state);
    m_lastState = state;
    m_lastStateIndex = it->second;
    return it->second;
}

int Parser::paraStateIndex(const ParaState& state)
{
    for (int i = int(m_paraStates.size()) - 1; i >= 0 && i >= int(m_paraStates.size()) - 8; --i)
        if (m_paraStates[size_t(i)] == state)
            return i;
    m_paraStates.push_back(state);
    return int(m_paraStates.size()) - 1;
}

void Parser::addText(QStringView text)
{
    addTextWith(text, top().chr);
}

void Parser::addTextWith(QStringView text, const CharState& state)
{
    if (text.isEmpty())
        return;
    const Dest dest = top().dest;
    if (dest == Dest::FieldInstruction) {
        if (top().field >= 0)
            m_fields[size_t(top().field)].instruction += text;
        return;
    }
    if (dest != Dest::Text)
        return;
    const int format = charStateIndex(state);
    const int start = int(m_text.size());
    m_text += text;
    m_paraOpen = true;
    if (int(m_runs.size()) > m_paraStart) {
        Run& last = m_runs.back();
        if (last.image < 0 && last.format == format && last.start + last.length == start) {
            last.length += int(text.size());
            return;
        }
    }
    m_runs.push_back({start, int(text.size()), format, -1});
}

void Parser::addChar(char16_t c)
{
    flushBytes();
    addText(QStringView(&c, 1));
}

void Parser::addImage(Image image)
{
    if (top().dest != Dest::Text)
        return;
    const int format = charStateIndex(top().chr);
    const int start = int(m_text.size());
    m_text += QChar(kObject);
    m_runs.push_back({start, 1, format, int(m_images.size())});
    m_images.push_back(std::move(image));
    m_paraOpen = true;
    ++m_objectImages;
}

void Parser::endParagraph(ParaEnd end)
{
    flushBytes();
    Item item;
    item.end = end;
    item.firstRun = m_paraStart;
    item.runCount = int(m_runs.size()) - m_paraStart;
    ParaState para = top().para;
    if (end == ParaEnd::Cell || m_cellsInRow > 0)
        para.inTable = 1;
    item.para = paraStateIndex(para);
    item.markFormat = charStateIndex(top().chr);
    m_items.push_back(item);
    m_paraStart = int(m_runs.size());
    m_paraOpen = false;
    if (end == ParaEnd::Cell)
        ++m_cellsInRow;
}

void Parser::endRow()
{
    if (m_paraOpen || m_paraStart < int(m_runs.size()))
        endParagraph(ParaEnd::Cell);
    Item item;
    item.row = true;
    m_rowDefs.push_back(m_rowDef);
    item.rowDef = int(m_rowDefs.size()) - 1;
    m_items.push_back(item);
    m_cellsInRow = 0;
}

void Parser::emitFieldInstruction(Field& field, const CharState& state)
{
    CharState hidden = state;
    hidden.hidden = 1;
    hidden.instruction = 1;
    hidden.link = field.link;
    const QString text = HyperlinkInstruction(m_links[size_t(field.link - 1)]);
    addTextWith(text, hidden);
    field.emitted = true;
}

// The target of a HYPERLINK instruction: its first argument, quoted or not.
// Empty when the instruction is another kind of field.
QString HyperlinkTarget(const QString& instruction)
{
    const QString text = instruction.trimmed();
    if (!text.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    qsizetype i = 9;
    if (i < text.size() && !text[i].isSpace() && text[i] != u'"')
        return {};
    while (i < text.size()) {
        while (i < text.size() && text[i].isSpace())
            ++i;
        if (i >= text.size())
            break;
        if (text[i] == u'\\') {
            // A switch; \l "anchor" names a place in the document itself.
            const bool local = i + 1 < text.size() && text[i + 1] == u'l';
            i += 2;
            while (i < text.size() && text[i].isSpace())
                ++i;
            if (!local) {
                if (i < text.size() && text[i] == u'"') {
                    const qsizetype close = text.indexOf(u'"', i + 1);
                    i = close < 0 ? text.size() : close + 1;
                }
                continue;
            }
            if (i < text.size() && text[i] == u'"') {
                const qsizetype close = text.indexOf(u'"', i + 1);
                return u'#' + text.mid(i + 1, (close < 0 ? text.size() : close) - i - 1);
            }
            continue;
        }
        if (text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            return text.mid(i + 1, (close < 0 ? text.size() : close) - i - 1);
        }
        // An unquoted target ends at a blank or a quote: the instruction
        // made of it quotes it, and must read back as the same target.
        qsizetype end = i;
        while (end < text.size() && !text[end].isSpace() && text[end] != u'"')
            ++end;
        return text.mid(i, end - i);
    }
    return {};
}

void Parser::startFieldResult()
{
    Group& group = top();
    group.dest = Dest::Text;
    if (group.field < 0)
        return;
    Field& field = m_fields[size_t(group.field)];
    if (field.emitted)
        return;
    const QString target = HyperlinkTarget(field.instruction);
    const bool isLink = field.instruction.trimmed().startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive);
    if (!isLink)
        return;
    m_links.push_back(target);
    field.link = int(m_links.size());
    emitFieldInstruction(field, group.chr);
    group.chr.link = field.link;
}

void Parser::finishPicture()
{
    Picture picture = std::move(m_picture);
    m_picture = Picture{};
    if (!picture.known || picture.data.isEmpty())
        return;
    Image image;
    image.original = picture.data;
    image.kind = picture.kind;
    QSize natural;
    if (picture.dib) {
        image.data = DibToPng(picture.data);
        image.original = image.data;
        image.kind = PictureKind::Png;
        if (image.data.isEmpty()) {
            image.data = PlaceholderPng();
            image.original.clear();
        }
    } else if (picture.kind == PictureKind::Png || picture.kind == PictureKind::Jpeg) {
        image.data = picture.data;
        if (picture.goalw <= 0 && picture.picw <= 0) {
            QBuffer buffer(&picture.data);
            buffer.open(QIODevice::ReadOnly);
            natural = QImageReader(&buffer).size();
        }
    } else {
        image.data = PlaceholderPng();
    }
    auto extent = [](qint32 goal, qint32 pic, int natural, qint32 scale, bool pixels) {
        double px = goal > 0 ? goal / kTwipsPerPixel : (pixels && pic > 0 ? pic : natural > 0 ? natural : 32);
        px = px * std::clamp(scale, 1, 1000) / 100.0;
        return std::clamp(px, 1.0, kMaxPicturePixels);
    };
    const bool pixels = picture.kind == PictureKind::Png || picture.kind == PictureKind::Jpeg || picture.dib;
    image.width = extent(picture.goalw, picture.picw, natural.width(), picture.scalex, pixels);
    image.height = extent(picture.goalh, picture.pich, natural.height(), picture.scaley, pixels);
    addImage(std::move(image));
}

void Parser::readBinary(qint64 count)
{
    const qint64 left = m_end - m_p;
    if (count > left) {
        m_damaged = true;
        m_error = QStringLiteral("A binary block of the RTF data is longer than the data.");
        count = left;
    }
    if (count < 0)
        count = 0;
    if (top().dest == Dest::Picture)
        m_picture.data.append(m_p, qsizetype(count));
    m_p += count;
}

void Parser::destination(Kw kw)
{
    Group& group = top();
    switch (kw) {
    case Kw::Rtf: break;
    case Kw::Upr:
        group.dest = Dest::Skip;
        group.uprRoot = true;
        break;
    case Kw::FontTable: group.dest = Dest::FontTable; break;
    case Kw::ColorTable:
        group.dest = Dest::ColorTable;
        m_colors.clear();
        m_red = m_green = m_blue = -1;
        break;
    case Kw::Pict:
        group.dest = Dest::Picture;
        group.pictureRoot = true;
        m_picture = Picture{};
        break;
    case Kw::Field:
        m_fields.push_back(Field{});
        group.field = int(m_fields.size()) - 1;
        group.fieldRoot = true;
        group.dest = Dest::Field;
        break;
    case Kw::FldInst:
        group.dest = group.field >= 0 ? Dest::FieldInstruction : Dest::Skip;
        break;
    case Kw::FldRslt:
        if (group.field >= 0)
            startFieldResult();
        else
            group.dest = Dest::Skip;
        break;
    case Kw::Object:
        group.dest = Dest::Object;
        group.objectRoot = true;
        m_objectImages = 0;
        break;
    case Kw::Result:
        if (group.dest == Dest::Object)
            group.dest = Dest::Text;
        break;
    case Kw::ShpPict: break;  // their content is read as it stands
    case Kw::ListTable: group.dest = Dest::ListTable; break;
    case Kw::List:
        if (group.dest == Dest::ListTable) {
            group.dest = Dest::List;
            m_listDefs.push_back({});
        }
        break;
    case Kw::ListLevel:
        if (group.dest == Dest::List && !m_listDefs.empty()) {
            group.dest = Dest::ListLevel;
            m_listDefs.back().levelFormats.push_back(0);
        }
        break;
    case Kw::ListOverrideTable: group.dest = Dest::ListOverrideTable; break;
    case Kw::ListOverride:
        if (group.dest == Dest::ListOverrideTable) {
            group.dest = Dest::ListOverride;
            m_listOverrides.push_back({});
        }
        break;
    case Kw::Pn:
        if (group.dest == Dest::Text) {
            group.dest = Dest::Numbering;
            group.numberingRoot = true;
            group.para.numbering = ListKind::Decimal;
        }
        break;
    default:  // stylesheet, info, nonshppict, shpinst, \upr's ANSI text, ...
        group.dest = Dest::Skip;
        break;
    }
}

void Parser::controlSymbol(char c)
{
    switch (c) {
    case '\'': {
        if (m_end - m_p < 2) {
            m_p = m_end;
            return;
        }
        const int hi = HexValue(static_cast<unsigned char>(m_p[0]));
        const int lo = HexValue(static_cast<unsigned char>(m_p[1]));
        m_p += 2;
        if (hi < 0 || lo < 0)
            return;
        if (skipping()) {
            --m_skipChars;
            return;
        }
        const Dest dest = top().dest;
        if (dest == Dest::Text || dest == Dest::FieldInstruction || dest == Dest::FontTable)
            m_pendingBytes.append(char(hi << 4 | lo));
        return;
    }
    case '*': m_ignorable = true; return;
    case '\\':
    case '{':
    case '}':
        if (skipping()) {
            --m_skipChars;
            return;
        }
        if (top().dest == Dest::Picture)
            return;
        addChar(char16_t(c));
        return;
    case '\r':
    case '\n':
        controlWord("par", false, 0);
        return;
    default:
        break;
    }
    if (skipping()) {
        --m_skipChars;
        return;
    }
    switch (c) {
    case '~': addChar(0x00A0); break;
    case '-': addChar(0x00AD); break;
    case '_': addChar(0x2011); break;
    case '\t': addChar(u'\t'); break;
    default: break;  // \| \: and unknown symbols mean nothing here
    }
}

void Parser::controlWord(std::string_view word, bool hasParam, qint64 param)
{
    const auto& table = Keywords();
    const auto found = table.find(word);
    const bool ignorable = m_ignorable;
    m_ignorable = false;
    if (found == table.end()) {
        if (ignorable)
            top().dest = Dest::Skip;
        else if (skipping())
            --m_skipChars;
        return;
    }
    const Kw kw = found->second;
    if (kw == Kw::Bin) {
        readBinary(hasParam ? param : 0);
        return;
    }
    if (kw <= Kw::Upr) {
        flushBytes();
        if (kw == Kw::Ud) {
            // {\upr{ANSI text}{\*\ud{Unicode text}}}: the Unicode text counts.
            const size_t n = m_stack.size();
            if (n >= 3 && m_stack[n - 2].uprRoot)
                top().dest = m_stack[n - 3].dest;
            return;
        }
        if (top().dest == Dest::Skip)
            return;
        destination(kw);
        return;
    }
    if (ignorable) {
        // "\*" before a word that is not a destination: skip the group.
        top().dest = Dest::Skip;
        return;
    }
    if (kw != Kw::U && skipping()) {
        --m_skipChars;
        return;
    }
    Group& g = top();
    if (g.dest == Dest::Skip)
        return;
    flushBytes();
    const int p = int(param);
    const bool on = !hasParam || param != 0;
    CharState& chr = g.chr;
    ParaState& para = g.para;
    switch (kw) {
    // document
    case Kw::Ansi: m_documentCodePage = codepage::kWindows1252; break;
    case Kw::Mac: m_documentCodePage = 10000; break;
    case Kw::Pc: m_documentCodePage = 437; break;
    case Kw::Pca: m_documentCodePage = 850; break;
    case Kw::AnsiCpg:
        if (p > 0)
            m_documentCodePage = p;
        break;
    case Kw::Deff: m_defaultFont = p; break;
    case Kw::F:
        if (g.dest == Dest::FontTable) {
            m_fontBeingDefined = p;
            m_fonts[p] = FontEntry{};
        } else {
            chr.font = p;
        }
        break;
    case Kw::FCharset:
        if (g.dest == Dest::FontTable && m_fontBeingDefined >= 0)
            m_fonts[m_fontBeingDefined].charset = p;
        break;
    case Kw::Cpg:
        if (g.dest == Dest::FontTable && m_fontBeingDefined >= 0)
            m_fonts[m_fontBeingDefined].codePage = p;
        break;
    case Kw::Uc: g.unicodeSkip = std::clamp(p, 0, kMaxUnicodeSkip); break;
    case Kw::U: {
        const char16_t c = char16_t(p < 0 ? p + 65536 : p);
        if (g.dest == Dest::FontTable) {
            if (m_fontBeingDefined >= 0)
                m_fonts[m_fontBeingDefined].name += QChar(c);
        } else {
            addChar(c);
        }
        m_skipChars = g.unicodeSkip;
        break;
    }
    // characters
    case Kw::Plain: {
        const qint32 link = chr.link;
        const quint8 instruction = chr.instruction;
        chr = CharState{};
        chr.link = link;
        chr.instruction = instruction;
        break;
    }
    case Kw::Fs: chr.halfPoints = hasParam && p > 0 ? std::min(p, 3276) : kDefaultHalfPoints; break;
    case Kw::B: chr.bold = on; break;
    case Kw::I: chr.italic = on; break;
    case Kw::Ul: chr.underline = on ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline; break;
    case Kw::UlNone: chr.underline = QTextCharFormat::NoUnderline; break;
    case Kw::UlDotted: chr.underline = on ? QTextCharFormat::DotLine : QTextCharFormat::NoUnderline; break;
    case Kw::UlDash: chr.underline = on ? QTextCharFormat::DashUnderline : QTextCharFormat::NoUnderline; break;
    case Kw::UlWave: chr.underline = on ? QTextCharFormat::WaveUnderline : QTextCharFormat::NoUnderline; break;
    case Kw::Strike: chr.strike = on; break;
    case Kw::V: chr.hidden = on; break;
    case Kw::Cf: chr.foreground = std::max(p, 0); break;
    case Kw::Cb:
    case Kw::Highlight: chr.background = std::max(p, 0); break;
    case Kw::Super: chr.vertical = 1; break;
    case Kw::Sub: chr.vertical = 2; break;
    case Kw::NoSuperSub: chr.vertical = 0; break;
    case Kw::Up: chr.vertical = hasParam && p == 0 ? 0 : 1; break;
    case Kw::Dn: chr.vertical = hasParam && p == 0 ? 0 : 2; break;
    case Kw::Caps: chr.caps = on; break;
    case Kw::Scaps: chr.smallCaps = on; break;
    // paragraphs
    case Kw::Pard: para = ParaState{}; break;
    case Kw::Ql: para.align = 0; break;
    case Kw::Qr: para.align = 1; break;
    case Kw::Qc: para.align = 2; break;
    case Kw::Qj: para.align = 3; break;
    case Kw::Li: para.left = p; break;
    case Kw::Ri: para.right = p; break;
    case Kw::Fi: para.first = p; break;
    case Kw::Sb: para.before = p; break;
    case Kw::Sa: para.after = p; break;
    case Kw::Sl: para.line = p; break;
    case Kw::SlMult: para.lineMultiple = on; break;
    case Kw::Tqr: m_nextTabType = QTextOption::RightTab; break;
    case Kw::Tqc: m_nextTabType = QTextOption::CenterTab; break;
    case Kw::Tqdec: m_nextTabType = QTextOption::DelimiterTab; break;
    case Kw::Tx: {
        QList<QTextOption::Tab> tabs = m_tabSets[size_t(para.tabs)];
        if (tabs.size() < 64) {
            tabs.append(QTextOption::Tab(std::clamp(p, 0, 1'000'000) / kTwipsPerPixel, m_nextTabType,
                                         m_nextTabType == QTextOption::DelimiterTab ? QChar(u'.') : QChar()));
            m_tabSets.push_back(tabs);
            para.tabs = int(m_tabSets.size()) - 1;
        }
        m_nextTabType = QTextOption::LeftTab;
        break;
    }
    case Kw::InTbl: para.inTable = 1; break;
    case Kw::RtlPar: para.rtl = 1; break;
    case Kw::LtrPar: para.rtl = 0; break;
    case Kw::Ls:
        if (g.dest == Dest::ListOverride && !m_listOverrides.empty())
            m_listOverrides.back().ls = p;
        else
            para.listOverride = p;
        break;
    case Kw::Ilvl: para.listLevel = std::clamp(p, 0, 8); break;
    // specials
    case Kw::Par:
    case Kw::Page:
    case Kw::Sect:
    case Kw::NestRow:
        if (g.dest == Dest::Text)
            endParagraph(ParaEnd::Par);
        break;
    case Kw::Line: addChar(QChar::LineSeparator); break;
    case Kw::Tab:
    case Kw::NestCell: addChar(u'\t'); break;
    case Kw::Cell:
        if (g.dest == Dest::Text)
            endParagraph(ParaEnd::Cell);
        break;
    case Kw::Row:
        if (g.dest == Dest::Text)
            endRow();
        break;
    case Kw::EmDash: addChar(0x2014); break;
    case Kw::EnDash: addChar(0x2013); break;
    case Kw::EmSpace: addChar(0x2003); break;
    case Kw::EnSpace: addChar(0x2002); break;
    case Kw::Bullet: addChar(0x2022); break;
    case Kw::LQuote: addChar(0x2018); break;
    case Kw::RQuote: addChar(0x2019); break;
    case Kw::LdblQuote: addChar(0x201C); break;
    case Kw::RdblQuote: addChar(0x201D); break;
    case Kw::Zwj: addChar(0x200D); break;
    case Kw::Zwnj: addChar(0x200C); break;
    case Kw::LtrMark: addChar(0x200E); break;
    case Kw::RtlMark: addChar(0x200F); break;
    // tables
    case Kw::Trowd: m_rowDef.clear(); break;
    case Kw::Cellx:
        if (m_rowDef.size() < 64)
            m_rowDef.push_back(std::clamp(p, 0, 1'000'000));
        break;
    // colours
    case Kw::Red: m_red = p; break;
    case Kw::Green: m_green = p; break;
    case Kw::Blue: m_blue = p; break;
    // pictures
    case Kw::PngBlip: m_picture.kind = PictureKind::Png; m_picture.known = true; break;
    case Kw::JpegBlip: m_picture.kind = PictureKind::Jpeg; m_picture.known = true; break;
    case Kw::DiBitmap: m_picture.dib = true; m_picture.known = true; break;
    case Kw::EmfBlip: m_picture.kind = PictureKind::Emf; m_picture.known = true; break;
    case Kw::WMetafile: m_picture.kind = PictureKind::Wmf; m_picture.known = true; break;
    case Kw::MacPict: m_picture.kind = PictureKind::MacPict; m_picture.known = true; break;
    case Kw::WBitmap:
    case Kw::PmMetafile:
        // Device-dependent bitmaps and OS/2 metafiles: shown as a placeholder.
        m_picture.kind = PictureKind::Wmf;
        m_picture.known = true;
        break;
    case Kw::Picw: m_picture.picw = p; break;
    case Kw::Pich: m_picture.pich = p; break;
    case Kw::PicwGoal: m_picture.goalw = p; break;
    case Kw::PichGoal: m_picture.goalh = p; break;
    case Kw::PicScaleX: m_picture.scalex = p; break;
    case Kw::PicScaleY: m_picture.scaley = p; break;
    // lists
    case Kw::ListId:
        if (g.dest == Dest::List && !m_listDefs.empty())
            m_listDefs.back().id = p;
        else if (g.dest == Dest::ListOverride && !m_listOverrides.empty())
            m_listOverrides.back().listId = p;
        break;
    case Kw::LevelNfc:
        if (g.dest == Dest::ListLevel && !m_listDefs.empty() && !m_listDefs.back().levelFormats.empty())
            m_listDefs.back().levelFormats.back() = p;
        break;
    case Kw::PnLvlBlt: para.numbering = ListKind::Bullet; break;
    case Kw::PnLvlBody:
        if (para.numbering == ListKind::None || para.numbering == ListKind::Bullet)
            para.numbering = ListKind::Decimal;
        break;
    case Kw::PnLvlCont: para.numbering = ListKind::None; break;
    case Kw::PnDec: para.numbering = ListKind::Decimal; break;
    case Kw::PnUcLtr: para.numbering = ListKind::UpperAlpha; break;
    case Kw::PnLcLtr: para.numbering = ListKind::LowerAlpha; break;
    case Kw::PnUcRm: para.numbering = ListKind::UpperRoman; break;
    case Kw::PnLcRm: para.numbering = ListKind::LowerRoman; break;
    case Kw::PnIndent:
        if (g.dest == Dest::Numbering)
            para.listLevel = std::clamp(p / 360, 0, 8);
        break;
    default: break;
    }
}

ListKind Parser::listKindOf(const ParaState& para) const
{
    if (para.listOverride > 0) {
        for (const ListOverride& o : m_listOverrides) {
            if (o.ls != para.listOverride)
                continue;
            for (const ListDef& def : m_listDefs) {
                if (def.id != o.listId)
                    continue;
                if (para.listLevel < int(def.levelFormats.size()))
                    return ListKindOfNfc(def.levelFormats[size_t(para.listLevel)]);
                return ListKind::Decimal;
            }
        }
        return ListKind::Decimal;
    }
    return para.numbering;
}

// Turns what the parser found into document content at a cursor.
class Builder {
public:
    Builder(const Parser& parser, QTextCursor& cursor, bool wholeDocument)
        : m_parser(parser), m_cursor(cursor), m_whole(wholeDocument)
    {
    }
    void build();

private:
    QTextCharFormat charFormat(int index);
    QTextBlockFormat blockFormat(int index) const;
    void insertRuns(const Item& item);
    void applyList(const Item& item);
    void buildTable(size_t& i, bool afterMark);
    QString imageName(const Image& image);

    const Parser& m_parser;
    QTextCursor& m_cursor;
    bool m_whole;
    std::vector<QTextCharFormat> m_charFormats;
    std::vector<bool> m_charFormatMade;
    std::map<std::tuple<int, int, int>, QTextList*> m_lists;  // (ls or -1, kind, level)
    std::unordered_map<int, QString> m_imageNames;
};

QTextCharFormat Builder::charFormat(int index)
{
    if (m_charFormats.empty()) {
        m_charFormats.resize(m_parser.m_charStates.size());
        m_charFormatMade.resize(m_parser.m_charStates.size());
    }
    if (m_charFormatMade[size_t(index)])
        return m_charFormats[size_t(index)];
    const CharState& s = m_parser.m_charStates[size_t(index)];
    QTextCharFormat f;
    auto font = m_parser.m_fonts.find(s.font < 0 ? m_parser.m_defaultFont : s.font);
    if (font == m_parser.m_fonts.end())
        font = m_parser.m_fonts.find(m_parser.m_defaultFont);
    if (font != m_parser.m_fonts.end() && !font->second.name.isEmpty())
        f.setFontFamilies(QStringList{font->second.name});
    f.setFontPointSize(s.halfPoints / 2.0);
    if (s.bold)
        f.setFontWeight(QFont::Bold);
    if (s.italic)
        f.setFontItalic(true);
    if (s.underline != QTextCharFormat::NoUnderline)
        f.setUnderlineStyle(QTextCharFormat::UnderlineStyle(s.underline));
    if (s.strike)
        f.setFontStrikeOut(true);
    if (s.caps)
        f.setFontCapitalization(QFont::AllUppercase);
    else if (s.smallCaps)
        f.setFontCapitalization(QFont::SmallCaps);
    const auto& colors = m_parser.m_colors;
    if (s.foreground > 0 && s.foreground < int(colors.size()) && colors[size_t(s.foreground)].isValid())
        f.setForeground(colors[size_t(s.foreground)]);
    if (s.background > 0 && s.background < int(colors.size()) && colors[size_t(s.background)].isValid())
        f.setBackground(colors[size_t(s.background)]);
    if (s.vertical == 1)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (s.vertical == 2)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (s.link > 0) {
        f.setAnchor(true);
        f.setAnchorHref(m_parser.m_links[size_t(s.link - 1)]);
    }
    if (s.instruction)
        f.setProperty(kLinkInstructionProperty, true);
    if (s.hidden)
        SetHidden(f, true);
    m_charFormats[size_t(index)] = f;
    m_charFormatMade[size_t(index)] = true;
    return f;
}

QTextBlockFormat Builder::blockFormat(int index) const
{
    const ParaState& s = m_parser.m_paraStates[size_t(index)];
    QTextBlockFormat f;
    static constexpr Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
    f.setAlignment(kAlign[s.align & 3]);
    auto px = [](qint32 twips) { return std::clamp(twips, -1'000'000, 1'000'000) / kTwipsPerPixel; };
    if (s.left)
        f.setLeftMargin(px(s.left));
    if (s.right)
        f.setRightMargin(px(s.right));
    if (s.first)
        f.setTextIndent(px(s.first));
    if (s.before)
        f.setTopMargin(px(s.before));
    if (s.after)
        f.setBottomMargin(px(s.after));
    if (s.line > 0 && s.lineMultiple)
        f.setLineHeight(std::min(s.line, 24000) * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (s.line > 0)
        f.setLineHeight(px(s.line), QTextBlockFormat::MinimumHeight);
    else if (s.line < 0)
        f.setLineHeight(px(-s.line), QTextBlockFormat::FixedHeight);
    if (s.rtl)
        f.setLayoutDirection(Qt::RightToLeft);
    if (s.tabs > 0)
        f.setTabPositions(m_parser.m_tabSets[size_t(s.tabs)]);
    return f;
}

QString Builder::imageName(const Image& image)
{
    QString name = QStringLiteral("rtfimage:") +
                   QString::fromLatin1(QCryptographicHash::hash(image.data, QCryptographicHash::Md5).toHex());
    QTextDocument* document = m_cursor.document();
    const QUrl url(name);
    if (!document->resource(QTextDocument::ImageResource, url).isValid())
        document->addResource(QTextDocument::ImageResource, url, image.data);
    return name;
}

void Builder::insertRuns(const Item& item)
{
    const QString& text = m_parser.m_text;
    for (int r = item.firstRun; r < item.firstRun + item.runCount; ++r) {
        const Run& run = m_parser.m_runs[size_t(r)];
        QTextCharFormat format = charFormat(run.format);
        if (run.image >= 0) {
            const Image& image = m_parser.m_images[size_t(run.image)];
            QTextImageFormat imageFormat;
            imageFormat.merge(format);
            imageFormat.setName(imageName(image));
            imageFormat.setWidth(image.width);
            imageFormat.setHeight(image.height);
            imageFormat.setProperty(kPictureKindProperty, int(image.kind));
            if (!image.original.isEmpty())
                imageFormat.setProperty(kPictureDataProperty, image.original);
            m_cursor.insertImage(imageFormat);
            continue;
        }
        m_cursor.insertText(QString(text.constData() + run.start, run.length), format);
    }
}

void Builder::applyList(const Item& item)
{
    const ParaState& para = m_parser.m_paraStates[size_t(item.para)];
    const ListKind kind = m_parser.listKindOf(para);
    if (kind == ListKind::None || para.inTable)
        return;
    const auto key = std::make_tuple(para.listOverride > 0 ? para.listOverride : -1, int(kind), para.listLevel);
    auto it = m_lists.find(key);
    if (it != m_lists.end() && it->second) {
        it->second->add(m_cursor.block());
        return;
    }
    QTextListFormat format;
    format.setStyle(ListStyle(kind));
    format.setIndent(para.listLevel + 1);
    m_lists[key] = m_cursor.createList(format);
}

void Builder::buildTable(size_t& i, bool afterMark)
{
    // Rows of cells of paragraph items, up to the first paragraph outside.
    struct Cell {
        std::vector<const Item*> paragraphs;
    };
    struct Row {
        std::vector<Cell> cells;
        int rowDef = 0;
    };
    std::vector<Row> rows;
    Row row;
    Cell cell;
    const auto& items = m_parser.m_items;
    auto isTableItem = [&](const Item& item) {
        return item.row || m_parser.m_paraStates[size_t(item.para)].inTable;
    };
    for (; i < items.size() && isTableItem(items[i]); ++i) {
        const Item& item = items[i];
        if (item.row) {
            if (!cell.paragraphs.empty())
                row.cells.push_back(std::move(cell));
            cell = Cell{};
            row.rowDef = item.rowDef;
            if (!row.cells.empty())
                rows.push_back(std::move(row));
            row = Row{};
            continue;
        }
        cell.paragraphs.push_back(&item);
        if (item.end == ParaEnd::Cell) {
            // A paragraph mark right before the cell end is the cell's own.
            if (cell.paragraphs.size() > 1 && item.runCount == 0)
                cell.paragraphs.pop_back();
            row.cells.push_back(std::move(cell));
            cell = Cell{};
        }
    }
    if (!cell.paragraphs.empty())
        row.cells.push_back(std::move(cell));
    if (!row.cells.empty())
        rows.push_back(std::move(row));
    if (rows.empty())
        return;
    int columns = 1;
    for (const Row& r : rows)
        columns = std::max(columns, int(r.cells.size()));
    QTextTableFormat format;
    format.setBorder(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setCellSpacing(0);
    format.setCellPadding(2);
    const std::vector<int>& def = m_parser.m_rowDefs[size_t(rows.front().rowDef)];
    if (int(def.size()) == columns) {
        QList<QTextLength> widths;
        int previous = 0;
        for (int boundary : def) {
            widths.append(QTextLength(QTextLength::FixedLength, std::max(boundary - previous, 15) / kTwipsPerPixel));
            previous = boundary;
        }
        format.setColumnWidthConstraints(widths);
    }
    if (!afterMark && m_cursor.block().length() == 1) {
        // Qt keeps a block before a table; this one ends no paragraph.
        QTextBlockFormat placeholder = m_cursor.blockFormat();
        placeholder.setProperty(kNoParagraphMarkProperty, true);
        m_cursor.setBlockFormat(placeholder);
    }
    QTextTable* table = m_cursor.insertTable(int(rows.size()), columns, format);
    for (int r = 0; r < int(rows.size()); ++r) {
        const Row& tableRow = rows[size_t(r)];
        for (int c = 0; c < int(tableRow.cells.size()); ++c) {
            m_cursor = table->cellAt(r, c).firstCursorPosition();
            bool first = true;
            for (const Item* paragraph : tableRow.cells[size_t(c)].paragraphs) {
                if (!first)
                    m_cursor.insertBlock();
                first = false;
                m_cursor.setBlockFormat(blockFormat(paragraph->para));
                m_cursor.setBlockCharFormat(charFormat(paragraph->markFormat));
                insertRuns(*paragraph);
            }
        }
        const int used = std::max(1, int(tableRow.cells.size()));
        if (used < columns)
            table->mergeCells(r, used - 1, 1, columns - used + 1);
    }
    m_cursor.setPosition(table->lastPosition() + 1);
}

void Builder::build()
{
    const auto& items = m_parser.m_items;
    bool needBlock = false;  // a paragraph mark is waiting to become a block break
    bool first = true;
    for (size_t i = 0; i < items.size();) {
        const Item& item = items[i];
        if (item.row || m_parser.m_paraStates[size_t(item.para)].inTable) {
            // The waiting mark becomes Qt's block end before the table.
            buildTable(i, needBlock);
            needBlock = false;
            first = false;
            continue;
        }
        if (needBlock)
            m_cursor.insertBlock();
        if (first && !m_whole) {
            // The first paragraph joins the block at the cursor; it keeps
            // that block's format when it has text before the cursor.
            if (m_cursor.atBlockStart())
                m_cursor.setBlockFormat(blockFormat(item.para));
        } else {
            m_cursor.setBlockFormat(blockFormat(item.para));
        }
        m_cursor.setBlockCharFormat(charFormat(item.markFormat));
        applyList(item);
        insertRuns(item);
        needBlock = item.end != ParaEnd::None;
        first = false;
        ++i;
    }
    // The last paragraph mark of a whole text is the story's end.
    if (needBlock && !m_whole)
        m_cursor.insertBlock();
}

}  // namespace

bool IsRtf(const QByteArray& bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    const QByteArray head = bytes.mid(i, 6);
    return head.startsWith("{\\rtf") || head.startsWith("{\\urtf");
}

ReadResult ReadRtf(const QByteArray& bytes, QTextDocument& document)
{
    Parser parser(bytes);
    ReadResult result = parser.parse();
    if (!result.ok)
        return result;
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    {
        // Emptying and filling in one edit is one change of the whole text,
        // which a window's layout takes in steps from the top, as it does
        // for a text it is given; two edits would lay all of it out at once.
        QTextCursor cursor(&document);
        cursor.beginEditBlock();
        document.clear();
        Builder(parser, cursor, true).build();
        cursor.endEditBlock();
    }
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
    return result;
}

ReadResult InsertRtf(const QByteArray& bytes, QTextCursor& cursor)
{
    Parser parser(bytes);
    ReadResult result = parser.parse();
    if (!result.ok)
        return result;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    Builder(parser, cursor, false).build();
    cursor.endEditBlock();
    return result;
}

}  // namespace rtf
