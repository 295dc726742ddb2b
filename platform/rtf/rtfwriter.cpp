#include "platform/codepage/codepage.h"
#include "platform/rtf/rtfwriter.h"

#include "platform/rtf/richtextmap.h"
#include "platform/rtf/rtfformat.h"

#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace rtf {

namespace {

constexpr int kHexLineLength = 128;
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr int kDefaultColumnTwips = 2000;

// The character properties RTF carries, as the writer last set them.
struct CharProps {
    int font = 0;
    int halfPoints = 24;
    int foreground = 0;  // colour table index; 0 automatic
    int background = 0;  // 0 none
    int underline = QTextCharFormat::NoUnderline;
    int vertical = 0;  // 0 normal, 1 super, 2 sub
    bool bold = false, italic = false, strike = false, hidden = false, caps = false, smallCaps = false;
};

// How a block ends: a paragraph, or the cell. The reader takes a paragraph
// mark right before \cell for the cell's own, so an empty last paragraph
// after others in a cell gets a mark of its own before the cell end.
enum class BlockEnd { Paragraph, Cell, EmptyLastInCell };

int Twips(double pixels)
{
    return int(std::lround(std::clamp(pixels, -1.0e6, 1.0e6) * kTwipsPerPixel));
}

class Writer {
public:
    Writer(const QTextDocument& document, int from, int to, bool whole, const WriteOptions& options)
        : m_document(document), m_from(from), m_to(to), m_whole(whole), m_options(options)
    {
        m_defaultFamily = document.defaultFont().family();
        fontIndex(m_defaultFamily);
        m_colors.push_back(QColor());  // index 0: automatic
    }

    QByteArray write();

private:
    void writeFrame(const QTextFrame* frame);
    void writeChildren(QTextFrame::iterator it);
    void writeTable(const QTextTable* table);
    bool writeWithinCell();
    void writeBlock(const QTextBlock& block, bool inTable, BlockEnd end);
    void writeParagraphProperties(const QTextBlock& block, bool inTable);
    void writeNumberText(const char* destination, const QString& text);
    void writeFragment(const QTextFragment& fragment, int begin, int end);
    void writeText(QStringView text);
    void writePicture(const QTextImageFormat& format);
    void setProps(const CharProps& target);
    CharProps propsOf(const QTextCharFormat& format);
    void openField(const QTextCharFormat& format, const QString& instruction);
    void openFieldResult();
    void closeField();
    void writeInstruction(const QTextCharFormat& format, QStringView text);
    void word(const char* text);
    void word(const char* text, int value);
    int fontIndex(const QString& family);
    int colorIndex(const QColor& color);
    bool inRange(int begin, int end) const { return end > m_from && begin < m_to; }

    const QTextDocument& m_document;
    int m_from, m_to;
    bool m_whole;
    WriteOptions m_options;
    QByteArray m_out;
    bool m_delimit = false;  // a control word was written last: text needs a blank first
    CharProps m_props;
    QString m_defaultFamily;
    QStringList m_fonts;
    std::map<QString, int> m_fontIndex;
    std::vector<QColor> m_colors;
    // Hyperlink field in progress: its target, its instruction, and the
    // properties to restore when its groups close.
    bool m_inField = false;
    bool m_resultOpen = false;
    QString m_fieldHref;
    CharProps m_fieldOuterProps;
    QString m_fieldInstruction;
};

void Writer::word(const char* text)
{
    m_out += '\\';
    m_out += text;
    m_delimit = true;
}

void Writer::word(const char* text, int value)
{
    m_out += '\\';
    m_out += text;
    m_out += QByteArray::number(value);
    m_delimit = true;
}

int Writer::fontIndex(const QString& family)
{
    const QString name = family.isEmpty() ? m_defaultFamily : family;
    auto it = m_fontIndex.find(name);
    if (it != m_fontIndex.end())
        return it->second;
    m_fonts.append(name);
    m_fontIndex.emplace(name, int(m_fonts.size()) - 1);
    return int(m_fonts.size()) - 1;
}

int Writer::colorIndex(const QColor& color)
{
    if (!color.isValid() || color.alpha() == 0)
        return 0;
    const QRgb rgb = color.rgb();
    for (size_t i = 1; i < m_colors.size(); ++i)
        if (m_colors[i].rgb() == rgb)
            return int(i);
    m_colors.push_back(QColor(rgb));
    return int(m_colors.size()) - 1;
}

CharProps Writer::propsOf(const QTextCharFormat& raw)
{
    const QTextCharFormat format = VisibleFormat(raw);
    CharProps p;
    const QStringList families = format.fontFamilies().toStringList();
    p.font = fontIndex(families.isEmpty() ? QString() : families.front());
    const double points =
        format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : m_document.defaultFont().pointSizeF();
    p.halfPoints = std::clamp(int(std::lround(points * 2)), 1, 3276);
    p.bold = format.fontWeight() >= QFont::DemiBold;
    p.italic = format.fontItalic();
    p.underline = format.underlineStyle();
    if (p.underline == QTextCharFormat::NoUnderline && format.fontUnderline())
        p.underline = QTextCharFormat::SingleUnderline;
    p.strike = format.fontStrikeOut();
    p.hidden = IsHidden(raw);
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
        p.foreground = colorIndex(format.foreground().color());
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush)
        p.background = colorIndex(format.background().color());
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        p.vertical = 1;
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        p.vertical = 2;
    p.caps = format.fontCapitalization() == QFont::AllUppercase;
    p.smallCaps = format.fontCapitalization() == QFont::SmallCaps;
    return p;
}

void Writer::setProps(const CharProps& t)
{
    CharProps& c = m_props;
    if (t.font != c.font)
        word("f", t.font);
    if (t.halfPoints != c.halfPoints)
        word("fs", t.halfPoints);
    if (t.bold != c.bold)
        word(t.bold ? "b" : "b0");
    if (t.italic != c.italic)
        word(t.italic ? "i" : "i0");
    if (t.underline != c.underline) {
        switch (t.underline) {
        case QTextCharFormat::NoUnderline: word("ulnone"); break;
        case QTextCharFormat::DotLine: word("uld"); break;
        case QTextCharFormat::DashUnderline: word("uldash"); break;
        case QTextCharFormat::WaveUnderline: word("ulwave"); break;
        default: word("ul"); break;
        }
    }
    if (t.strike != c.strike)
        word(t.strike ? "strike" : "strike0");
    if (t.caps != c.caps)
        word(t.caps ? "caps" : "caps0");
    if (t.smallCaps != c.smallCaps)
        word(t.smallCaps ? "scaps" : "scaps0");
    if (t.foreground != c.foreground)
        word("cf", t.foreground);
    if (t.background != c.background) {
        // Rich edits read \highlight, word processors \chcbpat.
        word("highlight", t.background);
        word("chcbpat", t.background);
    }
    if (t.vertical != c.vertical)
        word(t.vertical == 1 ? "super" : t.vertical == 2 ? "sub" : "nosupersub");
    if (t.hidden != c.hidden)
        word(t.hidden ? "v" : "v0");
    c = t;
}

void Writer::writeText(QStringView text)
{
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        switch (c) {
        case u'\\': m_out += "\\\\"; m_delimit = false; continue;
        case u'{': m_out += "\\{"; m_delimit = false; continue;
        case u'}': m_out += "\\}"; m_delimit = false; continue;
        case u'\t': word("tab"); continue;
        case 0x2028: word("line"); continue;
        case 0x00A0: m_out += "\\~"; m_delimit = false; continue;
        case 0x00AD: m_out += "\\-"; m_delimit = false; continue;
        case 0x2011: m_out += "\\_"; m_delimit = false; continue;
        default: break;
        }
        if (c >= 0x20 && c < 0x7F) {
            if (m_delimit) {
                m_out += ' ';
                m_delimit = false;
            }
            m_out += char(c);
            continue;
        }
        const int b = c >= 0x80 ? codepage::Windows1252Byte(c) : -1;
        if (b >= 0x80) {
            m_out += "\\'";
            m_out += kHexDigits[b >> 4];
            m_out += kHexDigits[b & 15];
            m_delimit = false;
            continue;
        }
        word("u", c > 32767 ? int(c) - 65536 : int(c));
        m_out += '?';
        m_delimit = false;
    }
}

void Writer::writePicture(const QTextImageFormat& format)
{
    if (!m_options.withObjects) {
        writeText(u" ");
        return;
    }
    QByteArray data = format.property(kPictureDataProperty).toByteArray();
    auto kind = PictureKind(format.intProperty(kPictureKindProperty));
    if (data.isEmpty()) {
        const QVariant resource = m_document.resource(QTextDocument::ImageResource, QUrl(format.name()));
        QImage image;
        if (resource.userType() == QMetaType::QByteArray) {
            data = resource.toByteArray();
            if (data.startsWith("\x89PNG"))
                kind = PictureKind::Png;
            else if (data.startsWith("\xFF\xD8"))
                kind = PictureKind::Jpeg;
            else
                image.loadFromData(data), data.clear();
        } else if (resource.userType() == QMetaType::QImage) {
            image = resource.value<QImage>();
        } else if (resource.userType() == QMetaType::QPixmap) {
            image = resource.value<QPixmap>().toImage();
        }
        if (data.isEmpty()) {
            if (image.isNull()) {
                image = QImage(16, 16, QImage::Format_RGB32);
                image.fill(Qt::lightGray);
            }
            data = PngBytes(image);
            kind = PictureKind::Png;
        }
    }
    const double width = format.width() > 0 ? format.width() : 32;
    const double height = format.height() > 0 ? format.height() : 32;
    m_out += "{";
    word("pict");
    switch (kind) {
    case PictureKind::Jpeg: word("jpegblip"); break;
    case PictureKind::Emf: word("emfblip"); break;
    case PictureKind::Wmf: word("wmetafile", 8); break;
    case PictureKind::MacPict: word("macpict"); break;
    default: word("pngblip"); break;
    }
    word("picw", int(std::lround(width)));
    word("pich", int(std::lround(height)));
    word("picwgoal", Twips(width));
    word("pichgoal", Twips(height));
    m_out += '\n';
    const qsizetype start = m_out.size();
    m_out.resize(start + data.size() * 2 + data.size() * 2 / kHexLineLength);
    char* out = m_out.data() + start;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        *out++ = kHexDigits[b >> 4];
        *out++ = kHexDigits[b & 15];
        if ((i + 1) % (kHexLineLength / 2) == 0)
            *out++ = '\n';
    }
    m_out.resize(out - m_out.data());
    m_out += "}";
    m_delimit = false;
}

void Writer::openField(const QTextCharFormat& format, const QString& instruction)
{
    // The instruction takes the properties in force where the field begins.
    CharProps outer = propsOf(format);
    outer.hidden = false;
    setProps(outer);
    m_inField = true;
    m_resultOpen = false;
    m_fieldHref = format.anchorHref();
    m_fieldInstruction = instruction;
}

void Writer::openFieldResult()
{
    m_out += "{";
    word("field");
    m_out += "{";
    word("*");
    word("fldinst");
    m_out += "{";
    m_delimit = false;
    writeText(m_fieldInstruction);
    m_out += "}}{";
    word("fldrslt");
    m_out += "{";
    m_delimit = false;
    m_fieldOuterProps = m_props;
    m_resultOpen = true;
}

void Writer::closeField()
{
    if (!m_inField)
        return;
    if (!m_resultOpen)
        openFieldResult();
    m_out += "}}}";
    m_props = m_fieldOuterProps;
    m_delimit = false;
    m_inField = false;
    m_resultOpen = false;
}

void Writer::writeInstruction(const QTextCharFormat& format, QStringView text)
{
    // Two fields to one target whose first result is empty have their
    // instructions side by side in one format, so the document holds them
    // as one fragment; an instruction may also come in pieces. Each whole
    // instruction the reader makes opens a field of its own; text that is
    // none (an edited instruction) goes on the field it follows.
    const QString whole = HyperlinkInstruction(format.anchorHref());
    while (!text.isEmpty()) {
        qsizetype take = text.size();
        if (m_inField && !m_resultOpen && format.anchorHref() == m_fieldHref && m_fieldInstruction != whole) {
            const QStringView missing = QStringView(whole).mid(m_fieldInstruction.size());
            if (whole.startsWith(m_fieldInstruction) && text.startsWith(missing))
                take = missing.size();
            m_fieldInstruction += text.left(take);
        } else {
            if (text.startsWith(whole))
                take = whole.size();
            closeField();
            openField(format, text.left(take).toString());
        }
        text = text.mid(take);
    }
}

void Writer::writeFragment(const QTextFragment& fragment, int begin, int end)
{
    const QTextCharFormat format = fragment.charFormat();
    const QString text = fragment.text().mid(begin - fragment.position(), end - begin);
    if (format.boolProperty(kLinkInstructionProperty)) {
        writeInstruction(format, text);
        return;
    }
    if (m_inField) {
        if (format.isAnchor() && format.anchorHref() == m_fieldHref) {
            if (!m_resultOpen)
                openFieldResult();
        } else {
            closeField();
        }
    }
    setProps(propsOf(format));
    if (format.isImageFormat()) {
        for (qsizetype i = 0; i < text.size(); ++i)
            writePicture(format.toImageFormat());
        return;
    }
    writeText(text);
}

void Writer::writeParagraphProperties(const QTextBlock& block, bool inTable)
{
    const QTextBlockFormat f = block.blockFormat();
    word("pard");
    if (inTable)
        word("intbl");
    const Qt::Alignment align = f.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignRight)
        word("qr");
    else if (align & Qt::AlignHCenter)
        word("qc");
    else if (align & Qt::AlignJustify)
        word("qj");
    if (int v = Twips(f.leftMargin()))
        word("li", v);
    if (int v = Twips(f.rightMargin()))
        word("ri", v);
    if (int v = Twips(f.textIndent()))
        word("fi", v);
    if (int v = Twips(f.topMargin()))
        word("sb", v);
    if (int v = Twips(f.bottomMargin()))
        word("sa", v);
    switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (f.lineHeight() > 0 && std::lround(f.lineHeight()) != 100) {
            word("sl", int(std::lround(f.lineHeight() * 2.4)));
            word("slmult", 1);
        }
        break;
    case QTextBlockFormat::MinimumHeight:
        word("sl", Twips(f.lineHeight()));
        word("slmult", 0);
        break;
    case QTextBlockFormat::FixedHeight:
        word("sl", -Twips(f.lineHeight()));
        word("slmult", 0);
        break;
    default: break;
    }
    if (f.layoutDirection() == Qt::RightToLeft)
        word("rtlpar");
    for (const QTextOption::Tab& tab : f.tabPositions()) {
        if (tab.type == QTextOption::RightTab)
            word("tqr");
        else if (tab.type == QTextOption::CenterTab)
            word("tqc");
        else if (tab.type == QTextOption::DelimiterTab)
            word("tqdec");
        word("tx", Twips(tab.position));
    }
    if (const QTextList* list = block.textList(); list && !inTable) {
        const QTextListFormat lf = list->format();
        const int level = std::max(0, lf.indent() - 1);
        // The label for readers that know no numbering, then the numbering.
        const bool bullet = lf.style() == QTextListFormat::ListDisc || lf.style() == QTextListFormat::ListCircle ||
                            lf.style() == QTextListFormat::ListSquare;
        m_out += "{";
        word("pntext");
        if (bullet) {
            writeText(QString(QChar(0x2022)));
        } else {
            writeText(list->itemText(block));
        }
        word("tab");
        m_out += "}{";
        word("*");
        word("pn");
        switch (lf.style()) {
        case QTextListFormat::ListDisc:
        case QTextListFormat::ListCircle:
        case QTextListFormat::ListSquare: word("pnlvlblt"); break;
        case QTextListFormat::ListUpperRoman: word("pnlvlbody"); word("pnucrm"); break;
        case QTextListFormat::ListLowerRoman: word("pnlvlbody"); word("pnlcrm"); break;
        case QTextListFormat::ListUpperAlpha: word("pnlvlbody"); word("pnucltr"); break;
        case QTextListFormat::ListLowerAlpha: word("pnlvlbody"); word("pnlcltr"); break;
        default: word("pnlvlbody"); word("pndec"); break;
        }
        word("pnindent", level * 360);
        if (!bullet) {
            // Without a start and the text around the number, word
            // processors count from 0 and put nothing after it.
            word("pnstart", 1);
            writeNumberText("pntxtb", lf.hasProperty(QTextFormat::ListNumberPrefix) ? lf.numberPrefix() : QString());
            writeNumberText("pntxta",
                            lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral("."));
        }
        m_out += "}";
        m_delimit = false;
    }
}

// {\pntxtb text} or {\pntxta text}: what stands before or after a list
// number; nothing when the text is empty.
void Writer::writeNumberText(const char* destination, const QString& text)
{
    if (text.isEmpty())
        return;
    m_out += "{";
    word(destination);
    writeText(text);
    m_out += "}";
    m_delimit = false;
}

void Writer::writeBlock(const QTextBlock& block, bool inTable, BlockEnd end)
{
    const int begin = block.position();
    const int separator = begin + block.length() - 1;
    if (!inRange(begin, separator + 1) && !(m_whole && block.length() == 1))
        return;
    writeParagraphProperties(block, inTable);
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int fb = std::max(fragment.position(), m_from);
        const int fe = std::min(fragment.position() + fragment.length(), m_to);
        if (fb < fe)
            writeFragment(fragment, fb, fe);
    }
    closeField();
    if (end == BlockEnd::EmptyLastInCell)
        word("par");
    if (end != BlockEnd::Paragraph)
        word("cell");
    else if (m_whole || separator < m_to)
        word("par");
    m_out += '\n';
    m_delimit = false;
}

void Writer::writeTable(const QTextTable* table)
{
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    std::vector<int> boundaries;
    int x = 0;
    for (int c = 0; c < table->columns(); ++c) {
        const bool fixed = c < widths.size() && widths[c].type() == QTextLength::FixedLength;
        x += fixed ? std::max(Twips(widths[c].rawValue()), 15) : kDefaultColumnTwips;
        boundaries.push_back(x);
    }
    for (int r = 0; r < table->rows(); ++r) {
        bool rowInRange = false;
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            rowInRange = rowInRange || inRange(cell.firstPosition(), cell.lastPosition() + 1);
        }
        if (!rowInRange)
            continue;
        word("trowd");
        word("trgaph", 108);
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() == r && cell.column() == c)
                word("cellx", boundaries[size_t(std::min(c + cell.columnSpan(), table->columns()) - 1)]);
        }
        m_out += '\n';
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            bool wrote = false;
            for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
                const QTextBlock block = it.currentBlock();
                if (!block.isValid())
                    continue;
                const bool last = block.position() + block.length() - 1 == cell.lastPosition();
                const bool first = block.position() == cell.firstPosition();
                const int before = int(m_out.size());
                writeBlock(block, true,
                           !last                              ? BlockEnd::Paragraph
                           : first || block.length() > 1 ? BlockEnd::Cell
                                                              : BlockEnd::EmptyLastInCell);
                wrote = wrote || int(m_out.size()) != before;
            }
            if (!wrote) {
                word("pard");
                word("intbl");
                word("cell");
                m_out += '\n';
                m_delimit = false;
            }
        }
        word("row");
        m_out += '\n';
        m_delimit = false;
    }
}

void Writer::writeFrame(const QTextFrame* frame)
{
    writeChildren(frame->begin());
}

void Writer::writeChildren(QTextFrame::iterator it)
{
    for (; !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame()) {
            if (const auto* table = qobject_cast<const QTextTable*>(child))
                writeTable(table);
            else
                writeFrame(child);
            continue;
        }
        const QTextBlock block = it.currentBlock();
        QTextFrame::iterator next = it;
        ++next;
        if (!next.atEnd() && next.currentFrame() && IsPlaceholderBlock(block))
            continue;
        writeBlock(block, false, BlockEnd::Paragraph);
    }
}

// A range inside one table cell is that cell's text and formats only: a
// row around it would add a row where it is put back. True when it was one.
bool Writer::writeWithinCell()
{
    if (m_whole)
        return false;
    QTextCursor at(const_cast<QTextDocument*>(&m_document));
    at.setPosition(m_from);
    const QTextTable* table = at.currentTable();
    if (!table)
        return false;
    const QTextTableCell cell = table->cellAt(m_from);
    if (!cell.isValid() || m_to > cell.lastPosition())
        return false;
    writeChildren(cell.begin());
    return true;
}

QByteArray Writer::write()
{
    m_out.reserve(qsizetype(std::min<qint64>(qint64(m_to - m_from) * 2 + 1024, 1 << 28)));
    if (!writeWithinCell())
        writeFrame(m_document.rootFrame());
    QByteArray body;
    body.swap(m_out);
    m_delimit = false;
    m_out += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (int i = 0; i < int(m_fonts.size()); ++i) {
        m_out += "{";
        word("f", i);
        word("fnil");
        word("fcharset", 0);
        writeText(m_fonts[i]);
        m_out += ";}";
        m_delimit = false;
    }
    m_out += "}\n";
    if (m_colors.size() > 1) {
        m_out += "{\\colortbl ;";
        for (size_t i = 1; i < m_colors.size(); ++i) {
            const QColor& c = m_colors[i];
            m_out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue" +
                     QByteArray::number(c.blue()) + ';';
        }
        m_out += "}\n";
    }
    m_out += "\\viewkind4\\uc1\n";
    m_out += body;
    m_out += "}\n";
    return m_out;
}

}  // namespace

QByteArray WriteRtf(const QTextDocument& document, const WriteOptions& options)
{
    return Writer(document, 0, std::max(0, document.characterCount() - 1), true, options).write();
}

QByteArray WriteRtf(const QTextDocument& document, int from, int to, const WriteOptions& options)
{
    const int end = std::max(0, document.characterCount() - 1);
    from = std::clamp(from, 0, end);
    to = std::clamp(to, 0, end);
    if (from >= to)
        return {};
    return Writer(document, from, to, false, options).write();
}

}  // namespace rtf
