#include "visual/modeldrawing.h"

#include "foundation/imageexport.h"
#include "visual/modelercanvascore.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSet>
#include <QStaticText>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const QColor kShadowColor = QColor::fromRgba(0xFF808080);
const QColor kFrameColor = QColor::fromRgba(0xFFC4C4C4);
const QColor kGridColor = QColor::fromRgba(0xFFC4C4C4);
const QColor kSelectionFill = QColor::fromRgba(0xFFF5F5F5);
const QColor kSelectionBlue = QColor::fromRgba(0xFF0000FF);
const QColor kGeoMarkerFill = QColor::fromRgba(0xFFC4C4FF);
const QString kLineBreak = QStringLiteral("\r\n");

// Sides of the selection marks in window pixels.
constexpr double kCornerSquare = 4.0;
constexpr double kHandleSquare = 10.0;
constexpr double kGeoSquare = 16.0;
constexpr double kGeoCircle = 12.0;

ModelTextMeasurer g_defaultMeasurer;
const ModelTextMeasurer* g_measurer = &g_defaultMeasurer;

QColor Argb(quint32 value)
{
    return QColor::fromRgba(value);
}

QRectF ToQt(const ModelRect& r)
{
    return {r.x, r.y, r.width, r.height};
}

QSizeF Measure(const QString& text, const QString& family, float size)
{
    return GetTextMeasurer().Measure(text, family, size);
}

// Laid-out lines of the labels drawn, so that a frame only places glyphs.
// Labels change seldom; the cache is emptied when it grows past its limit.
class TextCache {
public:
    struct Line {
        QStaticText text;
        double width = 0;
    };
    const Line& Get(const QString& line, const QFont& font)
    {
        const Key key{line, font.family(), font.pixelSize()};
        const auto found = m_lines.constFind(key);
        if (found != m_lines.cend())
            return *found;
        if (m_lines.size() >= kLimit)
            m_lines.clear();
        Line entry;
        entry.text.setText(line);
        entry.text.setTextFormat(Qt::PlainText);
        entry.text.prepare(QTransform(), font);
        entry.width = entry.text.size().width();
        return *m_lines.insert(key, entry);
    }
    double LineSpacing(const QFont& font)
    {
        const QPair<QString, int> key(font.family(), font.pixelSize());
        const auto found = m_spacing.constFind(key);
        if (found != m_spacing.cend())
            return *found;
        return *m_spacing.insert(key, QFontMetricsF(font).lineSpacing());
    }

private:
    static constexpr qsizetype kLimit = 50000;
    struct Key {
        QString text;
        QString family;
        int pixelSize;
        bool operator==(const Key&) const = default;
    };
    friend size_t qHash(const Key& key, size_t seed) { return qHashMulti(seed, key.text, key.family, key.pixelSize); }
    QHash<Key, Line> m_lines;
    QHash<QPair<QString, int>, double> m_spacing;
};

TextCache& Texts()
{
    static TextCache cache;
    return cache;
}

// Draws text whose lines are separated by "\r\n" from its top-left corner,
// or centred on `centreX` when given.
void DrawTextLines(QPainter& painter, const QPointF& topLeft, const QString& text, const QFont& font,
                   const QColor& colour, std::optional<double> centreX = std::nullopt)
{
    painter.setFont(font);
    painter.setPen(colour);
    const double spacing = Texts().LineSpacing(font);
    double y = topLeft.y();
    for (const QString& line : text.split(kLineBreak)) {
        if (!line.isEmpty()) {
            const TextCache::Line& laid = Texts().Get(line, font);
            const double x = centreX ? *centreX - laid.width / 2 : topLeft.x();
            painter.drawStaticText(QPointF(x, y), laid.text);
        }
        y += spacing;
    }
}

// Cuts the paragraph at its last blanks until the head fits or no blank
// after the first character is left; the tail is wrapped the same way.
QString WrapParagraph(const QString& paragraph, const QString& family, float size, float maxWidth)
{
    QString head = paragraph;
    QString rest;
    while (Measure(head, family, size).width() > maxWidth) {
        const qsizetype blank = head.lastIndexOf(u' ');
        if (blank <= 0)
            break;
        rest.prepend(head.mid(blank));
        head.truncate(blank);
    }
    if (rest.isEmpty())
        return head;
    return head + kLineBreak + WrapParagraph(rest.trimmed(), family, size, maxWidth);
}

// The rounded rectangle of shapes 2 and 13: corner arcs of diameter h / 4.
QPainterPath RoundedRectanglePath(const QRectF& r, double diameter)
{
    QPainterPath path;
    const double d = std::max(diameter, 0.0);
    path.arcMoveTo(r.left(), r.top(), d, d, 180);
    path.arcTo(r.left(), r.top(), d, d, 180, -90);
    path.lineTo(r.right() - d / 2, r.top());
    path.arcTo(r.right() - d, r.top(), d, d, 90, -90);
    path.lineTo(r.right(), r.bottom() - d / 2);
    path.arcTo(r.right() - d, r.bottom() - d, d, d, 0, -90);
    path.lineTo(r.left() + d / 2, r.bottom());
    path.arcTo(r.left(), r.bottom() - d, d, d, 270, -90);
    path.closeSubpath();
    return path;
}

// One figure of a symbol (its outline path and inner lines) in the inner
// rectangle; the shadow draws the same figure moved.
struct Figure {
    QPainterPath outline;          ///< filled and outlined
    QPainterPath unfilledOutline;  ///< outlined only (stems of a coding)
    QList<QLineF> lines;           ///< inner lines
    bool shadowFilled = true;
};

Figure ShapeFigure(qint32 shape, const QRectF& inner)
{
    const double X = inner.x();
    const double Y = inner.y();
    const double W = inner.width();
    const double H = inner.height();
    Figure f;
    const auto pageLines = [&f](const QRectF& page, double w, std::initializer_list<double> ys) {
        for (const double y : ys)
            f.lines.append(QLineF(page.left() + w / 8, y, page.right() - w / 8, y));
    };
    switch (shape) {
    case ModelShape::Ellipse: f.outline.addEllipse(inner); break;
    case ModelShape::Document: {
        const QRectF page(X + W / 8, Y, W - W / 4, H);
        f.outline.addRect(page);
        pageLines(page, W, {Y + W / 4, Y + W / 2, Y + 3 * W / 4});
        break;
    }
    case ModelShape::Code:
    case ModelShape::RoundedRectangle:
        f.outline = RoundedRectanglePath(QRectF(X, Y + H / 8, W, H - H / 4), H / 4);
        if (shape == ModelShape::Code) {
            for (const double y : {Y + 3 * H / 8, Y + 5 * H / 8})
                f.lines.append(QLineF(X + H / 8, y, X + W - H / 8, y));
        }
        break;
    case ModelShape::Coding: {
        const QRectF square(X + W / 4, Y + W / 4, W / 2, H - W / 2);
        f.outline.addRect(square);
        const double cx = square.center().x();
        f.unfilledOutline.moveTo(cx, square.top() - W / 4);
        f.unfilledOutline.lineTo(cx, square.top());
        f.unfilledOutline.moveTo(cx, square.bottom());
        f.unfilledOutline.lineTo(cx, square.bottom() + W / 4);
        f.shadowFilled = false;
        break;
    }
    case ModelShape::Memo:
    case ModelShape::MemoExclamation:
    case ModelShape::MemoQuestion:
    case ModelShape::MemoT:
    case ModelShape::MemoL:
    case ModelShape::MemoM:
        f.outline.addRect(QRectF(X + W / 8, Y, W - W / 4, H));
        f.shadowFilled = false;
        break;
    case ModelShape::DocumentGroup:
    case ModelShape::DocumentSet: {
        const QRectF a(X + W / 6, Y, W - W / 3, H - W / 6);
        const QRectF b = a.translated(-W / 6, W / 6);
        f.outline.addRect(a);
        f.outline.addRect(b);
        for (const double step : {1.25, 2.5, 3.75})
            f.lines.append(QLineF(b.left() + W / 8, b.top() + step * W / 6, b.right() - W / 8, b.top() + step * W / 6));
        break;
    }
    case ModelShape::Rectangle: f.outline.addRect(inner); break;
    default: break;
    }
    return f;
}

// The two pages of a group or set are drawn one over the other, each
// filled, so the front page hides the back one.
void FillAndOutline(QPainter& painter, const QPainterPath& path, qint32 shape)
{
    if (shape == ModelShape::DocumentGroup || shape == ModelShape::DocumentSet) {
        for (const QPolygonF& page : path.toSubpathPolygons()) {
            QPainterPath one;
            one.addPolygon(page);
            one.closeSubpath();
            painter.drawPath(one);
        }
        return;
    }
    painter.drawPath(path);
}

void DrawMemoCharacter(QPainter& painter, const ModelObject& object, const QRectF& inner)
{
    static const struct {
        qint32 shape;
        char character;
        quint32 colour;
    } kCharacters[] = {
        {ModelShape::MemoExclamation, '!', 0xFFFF0000}, {ModelShape::MemoQuestion, '?', 0xFF0000FF},
        {ModelShape::MemoT, 'T', 0xFFFF00FF},           {ModelShape::MemoL, 'L', 0xFFFF00FF},
        {ModelShape::MemoM, 'M', 0xFFFF00FF},
    };
    for (const auto& entry : kCharacters) {
        if (entry.shape != object.Shape)
            continue;
        const QString text(QChar::fromLatin1(entry.character));
        const float size = float(0.75 * inner.height());
        if (size <= 0)
            return;
        painter.setFont(ModelFont(QStringLiteral("Verdana"), size));
        painter.setPen(Argb(entry.colour));
        const double shift = object.BorderWidth / 2.0;
        painter.drawText(inner.translated(-shift, -shift), Qt::AlignCenter, text);
        return;
    }
}

void DrawSymbol(QPainter& painter, const ModelObject& object, const QPen& outlinePen, const QBrush& fill)
{
    const QRectF inner = ToQt(object.Rect).adjusted(3, 3, -3, -3);
    const Figure figure = ShapeFigure(object.Shape, inner);
    if (figure.outline.isEmpty())
        return;
    if (object.SymbolShadow) {
        const double s = ShadowSize(object);
        painter.save();
        painter.translate(s - 1, s - 1);
        painter.setPen(QPen(kShadowColor, s));
        painter.setBrush(figure.shadowFilled ? QBrush(kShadowColor) : Qt::NoBrush);
        painter.drawPath(figure.outline);
        painter.drawPath(figure.unfilledOutline);
        painter.restore();
    }
    painter.setPen(outlinePen);
    painter.setBrush(fill);
    FillAndOutline(painter, figure.outline, object.Shape);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(figure.unfilledOutline);
    painter.drawLines(figure.lines);
    DrawMemoCharacter(painter, object, inner);
}

// Size of the picture drawn into the symbol, keeping its proportions.
QSizeF DrawnPictureSize(const ModelObject& object)
{
    const QSize size = object.Picture.size();
    if (size.isEmpty())
        return {};
    const double k = std::min(double(object.Rect.width) / size.width(), double(object.Rect.height) / size.height());
    return {k * size.width(), k * size.height()};
}

QPen DashedPen(const QColor& colour, double width, qint32 dash)
{
    QPen pen(colour, width);
    pen.setStyle(dash == LinkDash::Dashed ? Qt::DashLine : dash == LinkDash::Dotted ? Qt::DotLine : Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

// The model under a part of the window, for skipping what lies outside it.
QRectF VisibleModelRect(const ModelerCanvasCore& canvas, const QRect& area)
{
    const QPointF a = canvas.ClientToModel(area.left(), area.top());
    const QPointF b = canvas.ClientToModel(area.left() + area.width(), area.top() + area.height());
    return QRectF(a, b).normalized();
}

QRectF VisibleModelRect(const ModelerCanvasCore& canvas, QSize viewport)
{
    return VisibleModelRect(canvas, QRect(QPoint(0, 0), viewport));
}

// Everything a link paints besides its line: the label box centred on the
// midpoint.
QRectF LinkLabelBox(const ModelLink& link, const QPointF& a, const QPointF& b)
{
    if (link.Label.isEmpty())
        return {};
    const QSizeF size = Measure(link.Label, link.FontName, link.FontSize);
    const QPointF mid = (a + b) / 2;
    return {mid.x() - size.width() / 2, mid.y() - size.height() / 2, size.width(), size.height()};
}

void DrawLinkLine(QPainter& painter, const QPen& pen, const QPointF& a, const QPointF& b, bool headAtSource,
                  bool headAtTarget, double headLength, double headWidth)
{
    QLineF line(a, b);
    // The line stops at the base of a head so that its end stays pointed.
    const double length = line.length();
    QPointF start = a;
    QPointF end = b;
    if (length > 0) {
        const QPointF unit = (b - a) / length;
        const double cut = std::min(headLength, length / 2);
        if (headAtSource)
            start = a + unit * cut;
        if (headAtTarget)
            end = b - unit * cut;
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(start, end);
    painter.setPen(Qt::NoPen);
    painter.setBrush(pen.color());
    if (headAtTarget)
        DrawArrowHead(painter, a, b, headLength, headWidth);
    if (headAtSource)
        DrawArrowHead(painter, b, a, headLength, headWidth);
}

void SetQualityHints(QPainter& painter)
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
}

}  // namespace

// ---------------------------------------------------------------------------
// Text

QSizeF ModelTextMeasurer::Measure(const QString& text, const QString& family, float pixelSize) const
{
    if (text.isEmpty() || !(pixelSize > 0))
        return {};
    // Layout measures every label of a model at a handful of fonts.
    static QHash<QPair<QString, int>, QFontMetricsF> metrics;
    const QPair<QString, int> key(family, int(std::lround(pixelSize * 64)));
    auto found = metrics.find(key);
    if (found == metrics.end())
        found = metrics.insert(key, QFontMetricsF(ModelFont(family, pixelSize)));
    double width = 0;
    const QStringList lines = text.split(kLineBreak);
    for (const QString& line : lines)
        width = std::max(width, found->horizontalAdvance(line));
    return {std::ceil(width), std::ceil(found->lineSpacing() * double(lines.size()))};
}

const ModelTextMeasurer& GetTextMeasurer()
{
    return *g_measurer;
}

const ModelTextMeasurer* SetTextMeasurer(const ModelTextMeasurer* measurer)
{
    const ModelTextMeasurer* previous = g_measurer == &g_defaultMeasurer ? nullptr : g_measurer;
    g_measurer = measurer ? measurer : &g_defaultMeasurer;
    return previous;
}

QFont ModelFont(const QString& family, float pixelSize)
{
    QFont font(family);
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    font.setWeight(QFont::Normal);
    return font;
}

QString WrapLabel(const QString& label, const QString& family, float pixelSize, float maxWidth)
{
    if (label.isEmpty() || Measure(label, family, pixelSize).width() <= maxWidth)
        return label;
    if (!label.contains(kLineBreak))
        return WrapParagraph(label, family, pixelSize, maxWidth);
    QString wrapped;
    for (const QString& paragraph : label.split(kLineBreak))
        wrapped += WrapParagraph(paragraph, family, pixelSize, maxWidth) + kLineBreak;
    return wrapped;
}

// ---------------------------------------------------------------------------
// Layout

void LayoutObject(ModelObject& o)
{
    o.NeedsLayout = false;
    o.LabelRect = ModelRect();
    o.LabelLaidOut = false;
    const float x = o.Rect.x;
    const float y = o.Rect.y;
    const float w = o.Rect.width;
    const float h = o.Rect.height;
    const float s = ShadowSize(o);
    const bool hasLabel = !o.Label.isEmpty();
    const bool hasPicture = !o.Picture.isNull();

    o.DisplayText = WrapLabel(o.Label, o.FontName, o.FontSize, w * o.WrapFactor);
    if (hasLabel) {
        const QSizeF size = Measure(o.DisplayText, o.FontName, o.FontSize);
        const float tw = float(size.width());
        const float th = float(size.height());
        ModelRect& l = o.LabelRect;
        l = {x + w / 2 - tw / 2, y + h - 4 + w / 30 + s / 4, tw, th};
        if (o.LabelBox) {
            l = l.Grown(1);
            l.y += hasPicture ? 6 : 2;
        }
        l.y += o.ShowSymbol && o.SymbolShadow && !hasPicture ? s : 3;
        o.LabelLaidOut = true;
    }

    ModelRect b = o.Rect;
    if (!o.ShowSymbol && hasLabel) {
        o.LabelRect.y = y;
        b.height = o.LabelRect.height;
    }
    if (hasPicture) {
        const QSizeF drawn = DrawnPictureSize(o);
        const float dw = float(drawn.width());
        const float dh = float(drawn.height());
        if (!o.IsBackground) {
            if (dw < w)
                b.x += (w - dw) / 2;
            if (dh < h) {
                b.y += (h - dh) / 2;
                o.LabelRect.y -= (h - dh) / 2;
            }
        }
        b.width = dw;
        b.height = dh;
    }
    if (hasLabel) {
        const ModelRect& l = o.LabelRect;
        const float left = std::min(b.x, l.x);
        b.width = std::max(b.width, l.width);
        b.x = left;
        b.height = l.Bottom() - b.y;
    }

    const bool labelWider = hasLabel && o.LabelRect.width > w;
    if (!o.ShowSymbol && !hasLabel) {
        b = o.Rect.Grown(2);
    } else if (!o.ShowSymbol) {
        b = o.LabelRect.Grown(2);
        if (o.LabelShadow) {
            b.width += s / 2;
            b.height += s / 2;
        }
    } else if (hasPicture) {
        b = b.Grown(2);
        if (labelWider && o.LabelShadow) {
            b.width += s / 2 + 2;
            b.height += s / 2 + 2;
        } else if (hasLabel) {
            if (!o.LabelBox) {
                b.height += 3;
            } else if (o.LabelShadow) {
                b.height += s / 2 + 3;
            } else {
                b.x -= 3;
                b.width += 6;
                b.height += 3;
            }
        }
    } else if (labelWider) {
        b = {b.x - 2, b.y - s / 2, b.width + 4, b.height + s + 2 - s / 2};
        if (o.LabelShadow) {
            b.width += s / 2;
            b.height += s / 2;
        }
    } else {
        b = b.Grown(o.BorderWidth * 2 / 3);
        if (o.SymbolShadow)
            b.width += s;
        if (hasLabel) {
            if (o.LabelBox && o.LabelShadow) {
                b.height += 4;
                b.x -= 3;
                b.width += 6;
            } else {
                b.height += 4 - s / 2;
            }
        }
    }
    o.Bounds = b;
}

void LayoutModel(ModelContent& model)
{
    for (ModelObject& o : model.Objects)
        if (o.NeedsLayout)
            LayoutObject(o);
}

// ---------------------------------------------------------------------------
// Objects and links

void DrawModelObject(QPainter& painter, const ModelObject& o)
{
    painter.save();
    const double s = ShadowSize(o);
    QPen outlinePen(Argb(o.BorderColor), o.BorderWidth);
    outlinePen.setJoinStyle(Qt::MiterJoin);
    const QBrush fill(Argb(o.FillColor));

    if (o.Framed) {
        painter.setPen(QPen(kFrameColor, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(ToQt(o.Bounds).adjusted(2, 2, -2, -2));
    }
    if (!o.Label.isEmpty() && o.LabelLaidOut) {
        const QRectF l = ToQt(o.LabelRect);
        if (o.LabelBox) {
            if (o.LabelShadow) {
                painter.setPen(QPen(kShadowColor, s));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(QRectF(l.x() + s, l.y() + s, l.width() - (s - 1), l.height() - (s - 1)));
            }
            painter.setPen(QPen(Argb(o.LabelFrameColor), 1));
            painter.setBrush(Argb(o.LabelFillColor));
            painter.drawRect(l);
        }
        DrawTextLines(painter, QPointF(l.x() + 1, l.y() + 1), o.DisplayText, ModelFont(o.FontName, o.FontSize),
                      Argb(o.TextColor));
    }
    if (o.ShowSymbol) {
        if (!o.Picture.isNull()) {
            const QSizeF drawn = DrawnPictureSize(o);
            QRectF target(o.Rect.x, o.Rect.y, drawn.width(), drawn.height());
            if (!o.IsBackground)
                target.moveCenter(ToQt(o.Rect).center());
            painter.drawImage(target, o.Picture);
        } else if (!o.IsBackground) {
            DrawSymbol(painter, o, outlinePen, fill);
        }
    }
    painter.restore();
}

void DrawArrowHead(QPainter& painter, const QPointF& from, const QPointF& tip, double length, double width)
{
    const QLineF line(from, tip);
    const double total = line.length();
    if (total <= 0)
        return;
    const QPointF unit = (tip - from) / total;
    const QPointF normal(-unit.y(), unit.x());
    const QPointF base = tip - unit * length;
    const QPointF corners[3] = {tip, base + normal * (width / 2), base - normal * (width / 2)};
    painter.drawPolygon(corners, 3);
}

void DrawModelLink(QPainter& painter, const ModelLink& link, const QPointF& a, const QPointF& b)
{
    painter.save();
    const bool selected = link.Selected;
    const double width = selected ? link.Width / 2 + 3 : link.Width;
    const QColor colour = selected ? kSelectionBlue : Argb(link.LineColor);
    // Heads grow with the pen, as caps sized in pen widths do.
    const double penScale = std::max(1.0, width);
    const double headLength = (link.Width / 2 + 5) * penScale;
    const double headWidth = (link.Width / 2 + 3) * penScale;
    const bool atSource = link.Arrows == LinkArrows::AtBothEnds || link.Arrows == LinkArrows::AtSource;
    const bool atTarget = link.Arrows == LinkArrows::AtTarget || link.Arrows == LinkArrows::AtBothEnds;
    DrawLinkLine(painter, DashedPen(colour, width, link.DashStyle), a, b, atSource, atTarget, headLength, headWidth);

    if (!link.Label.isEmpty()) {
        const QRectF text = LinkLabelBox(link, a, b);
        QRectF box = text;
        const double f = link.FontSize;
        if (link.LabelFramed) {
            box.adjust(-1, -1, 1, 1);
            if (link.LabelShadow) {
                painter.setPen(QPen(kShadowColor, f / 4));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(QRectF(box.x() + f / 3, box.y() + f / 3, box.width() - f / 4, box.height() - f / 4));
            }
        }
        painter.setPen(link.LabelFramed ? QPen(Argb(link.LabelFrameColor), 1) : QPen(Qt::NoPen));
        painter.setBrush(Argb(link.LabelFillColor));
        painter.drawRect(box);
        DrawTextLines(painter, text.topLeft(), link.Label, ModelFont(link.FontName, link.FontSize),
                      Argb(link.TextColor), text.center().x());
    }
    painter.restore();
}

// ---------------------------------------------------------------------------
// Grid and selection marks

void DrawGrid(QPainter& painter, const ModelerCanvasCore& canvas, float spacing, QSize viewport)
{
    if (!(spacing > 0))
        return;
    const QRectF area = VisibleModelRect(canvas, viewport);
    const double x0 = spacing * std::round(area.x() / spacing);
    const double y0 = spacing * std::round(area.y() / spacing);
    const qint64 columns = std::llround(area.width() / spacing) + 1;
    const qint64 rows = std::llround(area.height() / spacing) + 1;
    // A grid finer than a pixel would only grey the window.
    if (columns * rows > qint64(viewport.width() + 1) * (viewport.height() + 1))
        return;
    painter.save();
    // Back from model units to the window's pixels, keeping whatever the
    // painter had before the model's transform (a page's or strip's offset).
    const ModelContent& model = canvas.Model();
    const QTransform modelPart = QTransform::fromTranslate(model.OriginX, model.OriginY)
                                 * QTransform::fromScale(model.Scale, model.Scale);
    painter.setWorldTransform(modelPart.inverted() * painter.worldTransform());
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kGridColor, 1));
    QList<QPoint> points;
    points.reserve(qsizetype(columns * rows));
    for (qint64 c = 0; c < columns; ++c) {
        for (qint64 r = 0; r < rows; ++r) {
            const QPointF device = canvas.ModelToClient(x0 + double(c) * spacing, y0 + double(r) * spacing);
            points.append(QPoint(int(std::floor(device.x())), int(std::floor(device.y()))));
        }
    }
    painter.drawPoints(points.constData(), int(points.size()));
    painter.restore();
}

void DrawSelectionMarks(QPainter& painter, const ModelerCanvasCore& canvas, bool asBox)
{
    const double d = 1.0 / canvas.Model().Scale;
    painter.save();
    painter.setBrush(kSelectionFill);
    painter.setPen(QPen(kSelectionBlue, d));
    if (!asBox) {
        for (const ModelObject& o : canvas.Model().Objects)
            if (o.Selected && !canvas.IsHidden(o))
                painter.drawRect(ToQt(o.Bounds));
        painter.restore();
        return;
    }
    qint32 single = -1;
    const ModelRect box = canvas.GetSelectionBounds(single);
    if (box.IsEmpty()) {
        painter.restore();
        return;
    }
    painter.drawRect(ToQt(box));
    if (!canvas.IsPreview()) {
        const auto square = [](double x, double y, double side) { return QRectF(x - side / 2, y - side / 2, side, side); };
        for (const QPointF& corner : {QPointF(box.x, box.y), QPointF(box.Right(), box.y), QPointF(box.x, box.Bottom())})
            painter.drawRect(square(corner.x(), corner.y(), kCornerSquare * d));
        painter.setPen(Qt::NoPen);
        painter.setBrush(kSelectionBlue);
        painter.drawRect(square(box.Right(), box.Bottom(), kHandleSquare * d));
        if (single >= 0 && !canvas.Model().Objects[size_t(single)].GeoLinkFile.isEmpty()) {
            painter.setPen(QPen(kSelectionBlue, 2 * d));
            painter.setBrush(kGeoMarkerFill);
            painter.drawRect(square(box.Right(), box.y, kGeoSquare * d));
            painter.drawEllipse(square(box.Right(), box.y, kGeoCircle * d));
        }
    }
    painter.restore();
}

// ---------------------------------------------------------------------------
// The scene

namespace {

// Index of each object id (the first object of an id wins) and whether it
// is shown, worked out once per paint.
struct ShownObjects {
    explicit ShownObjects(const ModelerCanvasCore& canvas)
    {
        const auto& objects = canvas.Model().Objects;
        index.reserve(qsizetype(objects.size()));
        shown.resize(objects.size());
        for (size_t i = objects.size(); i-- > 0;) {
            index[objects[i].Id] = qint32(i);
            shown[i] = !canvas.IsHidden(objects[i]);
        }
    }
    // The object index of an id, -1 for 0, an unknown id or a hidden object.
    qint32 Shown(qint32 id) const
    {
        if (id == 0)
            return -1;
        const qint32 i = index.value(id, -1);
        return i >= 0 && shown[size_t(i)] ? i : -1;
    }
    QHash<qint32, qint32> index;
    std::vector<bool> shown;
};

// The end points of the links, or only of those touching one of `only`.
std::vector<ModelLinkEnds> LinkEnds(const ModelerCanvasCore& canvas, const QSet<qint32>* only)
{
    const ShownObjects objects(canvas);
    const auto& links = canvas.Model().Links;
    std::vector<ModelLinkEnds> ends(links.size());
    for (size_t i = 0; i < links.size(); ++i) {
        if (only && !only->contains(links[i].SourceId) && !only->contains(links[i].TargetId))
            continue;
        const qint32 source = objects.Shown(links[i].SourceId);
        const qint32 target = objects.Shown(links[i].TargetId);
        if (source < 0 || target < 0)
            continue;
        ends[i].shown = true;
        canvas.GetLinkEndpoints(source, target, ends[i].source, ends[i].target);
    }
    return ends;
}

}  // namespace

std::vector<ModelLinkEnds> ComputeLinkEnds(const ModelerCanvasCore& canvas)
{
    return LinkEnds(canvas, nullptr);
}

namespace {

// Whether the segment passes through the rectangle: the part of the line
// left after cutting it at each edge (Liang-Barsky) is not empty.
bool SegmentMeetsRect(const QPointF& a, const QPointF& b, const QRectF& r)
{
    double t0 = 0;
    double t1 = 1;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

// Which links a pass draws: all, those not touching a selected object, or
// only those touching one.
enum class LinkPass { All, Still, Moving };

void DrawLinks(QPainter& painter, const ModelerCanvasCore& canvas, const QRectF* visible, qint32 skippedLink,
               const std::vector<ModelLinkEnds>* known, LinkPass pass = LinkPass::All)
{

    QSet<qint32> selectedIds;
    if (pass != LinkPass::All) {
        for (const ModelObject& o : canvas.Model().Objects)
            if (o.Selected)
                selectedIds.insert(o.Id);
    }
    std::vector<ModelLinkEnds> computed;
    if (!known || known->size() != canvas.Model().Links.size()) {
        computed = LinkEnds(canvas, pass == LinkPass::Moving ? &selectedIds : nullptr);
        known = &computed;
    }
    const auto& links = canvas.Model().Links;
    for (size_t i = 0; i < links.size(); ++i) {
        const ModelLinkEnds& ends = (*known)[i];
        if (qint32(i) == skippedLink || !ends.shown)
            continue;
        const ModelLink& link = links[i];
        if (pass != LinkPass::All
            && (selectedIds.contains(link.SourceId) || selectedIds.contains(link.TargetId)) != (pass == LinkPass::Moving))
            continue;
        if (visible) {
            const double margin = 2.0 * link.Width + 20;
            if (!SegmentMeetsRect(ends.source, ends.target, visible->adjusted(-margin, -margin, margin, margin))
                && (link.Label.isEmpty()
                    || !visible->intersects(LinkLabelBox(link, ends.source, ends.target).adjusted(-4, -4, 4, 4))))
                continue;
        }
        DrawModelLink(painter, link, ends.source, ends.target);
    }
}

}  // namespace

void DrawPreviewLine(QPainter& painter, const ModelerCanvasCore& canvas, const ModelSceneState& state)
{
    const auto& objects = canvas.Model().Objects;
    if (state.fixedObject < 0 || size_t(state.fixedObject) >= objects.size())
        return;
    const QPointF pointer = canvas.ClientToModel(state.pointer.x(), state.pointer.y());
    QPointF a;
    QPointF b = pointer;
    if (state.pointerObject >= 0 && size_t(state.pointerObject) < objects.size()
        && state.pointerObject != state.fixedObject) {
        canvas.GetLinkEndpoints(state.fixedObject, state.pointerObject, a, b);
    } else if (!canvas.ClipLineToObject(state.fixedObject, a, pointer)) {
        return;
    }
    const auto& links = canvas.Model().Links;
    if (state.movedLink < 0 || size_t(state.movedLink) >= links.size()) {
        const bool both = state.newLinkArrows == LinkArrows::AtBothEnds;
        const bool atPointer = state.newLinkArrows == LinkArrows::AtTarget || both;
        DrawLinkLine(painter, QPen(Qt::black, 1.0 / canvas.Model().Scale), a, b, both, atPointer, 5, 7);
        return;
    }
    const ModelLink& link = links[size_t(state.movedLink)];
    bool atSource = link.Arrows == LinkArrows::AtBothEnds || link.Arrows == LinkArrows::AtSource;
    bool atTarget = link.Arrows == LinkArrows::AtTarget || link.Arrows == LinkArrows::AtBothEnds;
    // The line runs from the fixed end to the pointer: when the source end
    // moves, the link's heads come out reversed.
    if (state.movedEnd == 0)
        std::swap(atSource, atTarget);
    const double width = link.Width / 2 + 3;
    DrawLinkLine(painter, DashedPen(kSelectionBlue, width, link.DashStyle), a, b, atSource, atTarget,
                 link.Width / 2 + 3, link.Width / 2 + 5);
}

void PaintModelScene(QPainter& painter, ModelerCanvasCore& canvas, QSize viewport, const ModelSceneState& state,
                     const QRect& area)
{
    LayoutModel(canvas.EditModel());
    const ModelContent& model = canvas.Model();
    const QRect painted = area.isValid() ? area : QRect(QPoint(0, 0), viewport);
    painter.save();
    if (area.isValid())
        painter.setClipRect(area);
    SetQualityHints(painter);
    painter.fillRect(painted, Qt::white);
    painter.scale(model.Scale, model.Scale);
    painter.translate(model.OriginX, model.OriginY);
    const QRectF visible = VisibleModelRect(canvas, painted);

    const auto& objects = model.Objects;
    const bool still = state.withoutSelection;
    const bool background = !objects.empty() && objects.front().IsBackground && !canvas.IsHidden(objects.front());
    if (background && !objects.front().Selected)
        DrawModelObject(painter, objects.front());
    if (state.grid)
        DrawGrid(painter, canvas, canvas.GridSize(), viewport);
    if (!still)
        DrawSelectionMarks(painter, canvas, !state.linkMode);
    if (background && objects.front().Selected && !still)
        DrawModelObject(painter, objects.front());
    for (const ModelObject& o : objects) {
        if (o.IsBackground || canvas.IsHidden(o) || (still && o.Selected)
            || !visible.intersects(ToQt(o.Bounds).adjusted(-4, -4, 4, 4)))
            continue;
        DrawModelObject(painter, o);
    }
    DrawLinks(painter, canvas, &visible, state.movedLink, state.linkEnds, still ? LinkPass::Still : LinkPass::All);
    if (state.linkMode)
        DrawPreviewLine(painter, canvas, state);
    painter.restore();
}

void PaintMovingSelection(QPainter& painter, ModelerCanvasCore& canvas, const ModelSceneState& state)
{
    LayoutModel(canvas.EditModel());
    const ModelContent& model = canvas.Model();
    painter.save();
    SetQualityHints(painter);
    painter.scale(model.Scale, model.Scale);
    painter.translate(model.OriginX, model.OriginY);
    DrawSelectionMarks(painter, canvas, !state.linkMode);
    for (const ModelObject& o : model.Objects)
        if (o.Selected && !canvas.IsHidden(o))
            DrawModelObject(painter, o);
    DrawLinks(painter, canvas, nullptr, -1, nullptr, LinkPass::Moving);
    painter.restore();
}

// ---------------------------------------------------------------------------
// Whole-model pictures

namespace {

// Every shown object, then every link between shown objects.
void DrawWholeModel(QPainter& painter, const ModelerCanvasCore& canvas)
{
    for (const ModelObject& o : canvas.Model().Objects)
        if (!canvas.IsHidden(o))
            DrawModelObject(painter, o);
    DrawLinks(painter, canvas, nullptr, -1, nullptr);
}

}  // namespace

bool DrawModelInto(QPainter& painter, ModelerCanvasCore& canvas, const QRectF& target)
{
    LayoutModel(canvas.EditModel());
    const ModelRect b = canvas.GetModelBounds();
    if (b.IsEmpty() || target.isEmpty())
        return false;
    const double k = std::min(target.width() / b.width, target.height() / b.height);
    painter.save();
    SetQualityHints(painter);
    painter.scale(k, k);
    painter.translate((target.width() / k - b.width) / 2 + target.left() / k - b.x,
                      (target.height() / k - b.height) / 2 + target.top() / k - b.y);
    DrawWholeModel(painter, canvas);
    painter.restore();
    return true;
}

ModelPictureFormat ExportFormatForName(QString& path, int filterEntry)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"jpg")
        return ModelPictureFormat::Jpeg;
    if (suffix == u"bmp")
        return ModelPictureFormat::Bmp;
    if (suffix == u"svg")
        return ModelPictureFormat::Svg;
    const ModelPictureFormat format = filterEntry == 2   ? ModelPictureFormat::Bmp
                                      : filterEntry == 3 ? ModelPictureFormat::Svg
                                                         : ModelPictureFormat::Jpeg;
    path += format == ModelPictureFormat::Bmp   ? QStringLiteral(".bmp")
            : format == ModelPictureFormat::Svg ? QStringLiteral(".svg")
                                                : QStringLiteral(".jpg");
    return format;
}

double ExportFactor(const ModelRect& bounds)
{
    const double pixels = double(bounds.width) * bounds.height * kExportFactor * kExportFactor;
    if (pixels <= kMaxExportPixels)
        return kExportFactor;
    return kExportFactor * std::sqrt(kMaxExportPixels / pixels);
}

QImage RenderModelPicture(ModelerCanvasCore& canvas, double factor)
{
    LayoutModel(canvas.EditModel());
    const ModelRect b = canvas.GetModelBounds();
    if (b.IsEmpty())
        return {};
    const QSize size(std::max(1, int(std::lround(b.width * factor))), std::max(1, int(std::lround(b.height * factor))));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::white);
    QPainter painter(&image);
    SetQualityHints(painter);
    painter.scale(factor, factor);
    painter.translate(-b.x, -b.y);
    DrawWholeModel(painter, canvas);
    painter.end();
    return image;
}

ModelExportResult ExportModelPicture(ModelerCanvasCore& canvas, const QString& path, ModelPictureFormat format)
{
    LayoutModel(canvas.EditModel());
    const ModelRect b = canvas.GetModelBounds();
    if (b.IsEmpty())
        return ModelExportResult::EmptyModel;
    if (format != ModelPictureFormat::Svg) {
        const QImage image = RenderModelPicture(canvas, ExportFactor(b));
        if (image.isNull())
            return ModelExportResult::WriteFailed;
        const QString mime = format == ModelPictureFormat::Jpeg ? QStringLiteral("image/jpeg") : QStringLiteral("image/bmp");
        return WriteImageFile(image, path, mime, format == ModelPictureFormat::Jpeg ? 100 : -1) ? ModelExportResult::Written : ModelExportResult::WriteFailed;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ModelExportResult::WriteFailed;
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        const QSize size(int(std::ceil(b.width * kExportFactor)), int(std::ceil(b.height * kExportFactor)));
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        QPainter painter;
        if (!painter.begin(&svg)) {
            file.cancelWriting();
            return ModelExportResult::WriteFailed;
        }
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        SetQualityHints(painter);
        painter.scale(kExportFactor, kExportFactor);
        painter.translate(-b.x, -b.y);
        DrawWholeModel(painter, canvas);
        painter.end();
    }
    return file.commit() ? ModelExportResult::Written : ModelExportResult::WriteFailed;
}
