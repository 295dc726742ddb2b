#include "ui/treeimages.h"

#include <QPainter>
#include <QPainterPath>

namespace TreeImages {
namespace {

enum class DocumentLook { Plain, Media, Pdf, Picture, Table };

QPixmap Blank(int size = kImageSize)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    return picture;
}

void DrawFolder(QPainter& p, const QColor& body)
{
    p.setPen(body.darker(160));
    p.setBrush(body);
    p.drawRect(1, 4, 13, 9);
    p.drawRect(1, 2, 5, 2);
}

void DrawPage(QPainter& p, int left, const QColor& outline)
{
    QPainterPath page;
    page.moveTo(left + 0.5, 0.5);
    page.lineTo(left + 7.5, 0.5);
    page.lineTo(left + 10.5, 3.5);
    page.lineTo(left + 10.5, 14.5);
    page.lineTo(left + 0.5, 14.5);
    page.closeSubpath();
    p.setPen(outline);
    p.setBrush(Qt::white);
    p.drawPath(page);
}

QPixmap Document(DocumentLook look, int variant, bool member)
{
    // variant: 0 neither, 1 activated, 2 open in the browser, 3 both.
    const bool active = variant & 1;
    const bool open = variant & 2;
    QPixmap picture = Blank();
    QPainter p(&picture);
    const int left = member ? 4 : 2;
    DrawPage(p, left, open ? QColor(0, 70, 200) : QColor(110, 110, 110));
    switch (look) {
    case DocumentLook::Plain:
    case DocumentLook::Media:
        p.setPen(QColor(90, 110, 160));
        for (int y = 4; y <= 11; y += 2)
            p.drawLine(left + 2, y, left + 8, y);
        if (look == DocumentLook::Media) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(230, 140, 0));
            p.drawEllipse(left + 5, 9, 5, 5);
        }
        break;
    case DocumentLook::Pdf:
        p.fillRect(left + 1, 5, 9, 5, QColor(200, 30, 30));
        break;
    case DocumentLook::Picture:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 150, 60));
        p.drawPolygon(QPolygon({QPoint(left + 1, 13), QPoint(left + 5, 6), QPoint(left + 9, 13)}));
        break;
    case DocumentLook::Table:
        p.setPen(QColor(60, 120, 60));
        for (int y = 4; y <= 12; y += 4)
            p.drawLine(left + 2, y, left + 8, y);
        p.drawLine(left + 5, 4, left + 5, 12);
        break;
    }
    if (member) {
        p.setPen(QColor(0, 110, 160));
        p.drawLine(0, 8, 3, 8);
        p.drawLine(1, 6, 1, 10);
    }
    if (active) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 0, 0));
        p.drawEllipse(left + 6, 0, 5, 5);
    }
    return picture;
}

QPixmap Code(const QColor& fill, bool active, bool member)
{
    QPixmap picture = Blank();
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(fill.darker(170));
    p.setBrush(fill);
    const int left = member ? 4 : 1;
    QPainterPath tag;
    tag.moveTo(left + 0.5, 4.5);
    tag.lineTo(left + 8.5, 4.5);
    tag.lineTo(left + 12.5, 8.0);
    tag.lineTo(left + 8.5, 11.5);
    tag.lineTo(left + 0.5, 11.5);
    tag.closeSubpath();
    p.drawPath(tag);
    if (member) {
        p.setPen(QColor(0, 110, 160));
        p.drawLine(0, 8, 3, 8);
    }
    if (active) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 0, 0));
        p.drawEllipse(QRectF(left + 8, 0, 5, 5));
    }
    return picture;
}

QPixmap Stack(const QColor& fill)
{
    QPixmap picture = Blank();
    QPainter p(&picture);
    for (int i = 2; i >= 0; --i) {
        p.setPen(fill.darker(170));
        p.setBrush(i == 0 ? fill : fill.lighter(120));
        p.drawRect(1 + 2 * i, 1 + 2 * i, 9, 9);
    }
    return picture;
}

}  // namespace

QList<QPixmap> NodeImages()
{
    QList<QPixmap> images(kNodeImageCount);
    images[0] = Stack(QColor(250, 230, 150));
    images[1] = Stack(QColor(180, 210, 250));
    {
        QPixmap group = Blank();
        QPainter p(&group);
        DrawFolder(p, QColor(250, 210, 90));
        images[2] = group;
        QPixmap set = Blank();
        QPainter q(&set);
        DrawFolder(q, QColor(150, 190, 250));
        images[3] = set;
    }
    // Blocks of four document pictures: the block's last number is "open and
    // activated", running down to "neither" (as the project document answers).
    const struct {
        int last;
        DocumentLook look;
        bool member;
    } blocks[] = {
        {7, DocumentLook::Plain, false},   {11, DocumentLook::Plain, true},  {21, DocumentLook::Media, false},
        {25, DocumentLook::Pdf, false},    {29, DocumentLook::Picture, false}, {33, DocumentLook::Media, true},
        {37, DocumentLook::Pdf, true},     {41, DocumentLook::Picture, true}, {46, DocumentLook::Table, false},
        {50, DocumentLook::Table, true},
    };
    for (const auto& block : blocks)
        for (int variant = 0; variant < 4; ++variant)
            images[block.last - 3 + variant] = Document(block.look, variant, block.member);
    images[12] = Stack(QColor(120, 200, 120));
    images[13] = Code(QColor(90, 170, 90), false, false);
    images[14] = Code(QColor(90, 170, 90), true, false);
    images[15] = Stack(QColor(200, 170, 230));
    images[16] = Code(QColor(170, 140, 210), false, true);
    images[17] = Code(QColor(170, 140, 210), true, true);
    for (QPixmap& image : images)
        if (image.isNull())
            image = Blank();
    return images;
}

QList<QPixmap> MemoImages()
{
    // One colour per memo type, on the same note shape.
    const QColor colours[] = {{255, 236, 120}, {255, 190, 120}, {180, 230, 130}, {150, 200, 255}, {240, 160, 200},
                              {200, 200, 200}, {255, 150, 150}, {160, 230, 220}, {220, 200, 150}, {190, 170, 240}};
    QList<QPixmap> images;
    for (const QColor& colour : colours) {
        QPixmap picture = Blank();
        QPainter p(&picture);
        p.setPen(colour.darker(180));
        p.setBrush(colour);
        p.drawRect(2, 2, 11, 11);
        p.setPen(colour.darker(220));
        p.drawLine(4, 6, 10, 6);
        p.drawLine(4, 9, 10, 9);
        images.append(picture);
    }
    return images;
}

QList<QPixmap> CheckImages()
{
    QList<QPixmap> images;
    for (const bool ticked : {false, true}) {
        QPixmap picture = Blank(kCheckSize);
        QPainter p(&picture);
        p.setPen(QColor(28, 81, 128));
        p.setBrush(Qt::white);
        p.drawRect(0, 0, kCheckSize - 1, kCheckSize - 1);
        if (ticked) {
            p.setPen(QPen(QColor(33, 33, 33), 2));
            p.drawPolyline(QPolygon({QPoint(3, 6), QPoint(5, 9), QPoint(10, 3)}));
        }
        images.append(picture);
    }
    return images;
}

}  // namespace TreeImages
