#include "foundation/imageexport.h"

#include "foundation/uimessages.h"
#include "platform/pdf/pdfmemorydocument.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

// The most pixels a rendered page may have; a hostile page size could ask
// for gigabytes otherwise.
constexpr qint64 kMaxPagePixels = 64 * 1024 * 1024;

QSizeF ScreenDotsPerInch()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return {screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()};
    return {96, 96};
}

// An area from two corners in any order; width and height are the corner
// differences.
struct Area {
    int left, top, dx, dy;
};

Area AreaBetween(QPoint a, QPoint b)
{
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()), std::abs(a.y() - b.y())};
}

// The factor that fits an area of dx × dy pixels into the limits without
// enlarging it.
double FitScale(int dx, int dy, int maxHeight, int maxWidth)
{
    const double vertical = maxHeight > 0 && maxHeight < dy ? double(maxHeight) / dy : 1.0;
    const double horizontal = maxWidth > 0 && maxWidth < dx ? double(maxWidth) / dx : 1.0;
    return std::min(vertical, horizontal);
}

bool Deliver(const QImage& picture, bool save)
{
    if (save)
        return WriteImageFile(picture, TemporaryPictureFile(), QStringLiteral("image/jpeg"));
    if (!HasGuiApplication())
        return false;
    QGuiApplication::clipboard()->setImage(picture);
    return true;
}

}  // namespace

int GetEncoderClsid(const QString& mimeType, QByteArray& format)
{
    const QList<QByteArray> types = QImageWriter::supportedMimeTypes();
    for (qsizetype i = 0; i < types.size(); ++i) {
        if (QString::fromLatin1(types[i]) != mimeType)
            continue;
        const QList<QByteArray> formats = QImageWriter::imageFormatsForMimeType(types[i]);
        if (formats.isEmpty())
            return -1;
        format = formats.first();
        return int(i);
    }
    return -1;
}

bool WriteImageFile(const QImage& image, const QString& path, const QString& mimeType)
{
    return WriteImageFile(image, path, mimeType, -1);
}

bool WriteImageFile(const QImage& image, const QString& path, const QString& mimeType, int quality)
{
    QByteArray format;
    if (image.isNull() || GetEncoderClsid(mimeType, format) < 0)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, format);
    writer.setQuality(quality);
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString TemporaryPictureFile()
{
    static const QTemporaryDir folder;
    return folder.filePath(QStringLiteral("image.jpg"));
}

bool RenderPdfAreaImage(const QByteArray& pdf, int page, int x1, int y1, int x2, int y2, int& maxHeight,
                        int& maxWidth, QImage& picture)
{
    PdfMemoryDocument document(pdf);
    if (page < 1 || page > document.PageCount())
        return false;
    const QSizeF points = document.Document().pagePointSize(page - 1);
    if (points.width() <= 0 || points.height() <= 0)
        return false;
    const QSizeF dpi = ScreenDotsPerInch();
    const QSize pixels(int(dpi.width() * points.width() / 72 + 0.5), int(dpi.height() * points.height() / 72 + 0.5));

    // Page points (y upwards) to pixels of the page at screen resolution.
    const auto toDevice = [&](int x, int y) {
        return QPoint(int(std::lround(x * pixels.width() / points.width())),
                      int(std::lround((points.height() - y) * pixels.height() / points.height())));
    };
    const Area area = AreaBetween(toDevice(x1, y1), toDevice(x2, y2));
    if (area.dx <= 0 || area.dy <= 0)
        return false;

    const double scale = FitScale(area.dx, area.dy, maxHeight, maxWidth);
    const QSize size(int(scale * area.dx), int(scale * area.dy));
    const QSize pageSize(int(scale * pixels.width()), int(scale * pixels.height()));
    if (size.isEmpty() || pageSize.isEmpty() || qint64(pageSize.width()) * pageSize.height() > kMaxPagePixels)
        return false;

    QPdfDocumentRenderOptions options;
    options.setRenderFlags(QPdfDocumentRenderOptions::RenderFlag::Annotations |
                           QPdfDocumentRenderOptions::RenderFlag::OptimizedForLcd);
    const QImage rendered = document.Document().render(page - 1, pageSize, options);
    if (rendered.isNull())
        return false;
    // The engine leaves the paper transparent.
    picture = QImage(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.drawImage(QPoint(int(-scale * area.left), int(-scale * area.top)), rendered);
    }
    maxWidth = size.width();
    maxHeight = size.height();
    return true;
}

bool RenderPictureAreaImage(const QByteArray& picture, int x1, int y1, int x2, int y2, int& maxHeight,
                            int& maxWidth, QImage& result)
{
    QImage image;
    if (!image.loadFromData(picture))
        return false;
    const Area area = AreaBetween(QPoint(x1, y1), QPoint(x2, y2));
    if (area.dx <= 0 || area.dy <= 0)
        return false;
    const double scale = FitScale(area.dx, area.dy, maxHeight, maxWidth);
    const QSize size(int(scale * area.dx), int(scale * area.dy));
    if (size.isEmpty())
        return false;

    result = QImage(size, QImage::Format_RGB32);
    result.fill(Qt::white);
    {
        QPainter painter(&result);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
        painter.drawImage(QRectF(-area.left * scale, -area.top * scale, image.width() * scale, image.height() * scale),
                          image);
    }
    maxWidth = size.width();
    maxHeight = size.height();
    return true;
}

bool CopyPdfAreaAsImage(const QByteArray& pdf, int page, int x1, int y1, int x2, int y2, int& maxHeight,
                        int& maxWidth, bool save)
{
    int height = maxHeight;
    int width = maxWidth;
    QImage picture;
    if (!RenderPdfAreaImage(pdf, page, x1, y1, x2, y2, height, width, picture) || !Deliver(picture, save))
        return false;
    maxHeight = height;
    maxWidth = width;
    return true;
}

bool CopyPictureAreaAsImage(const QByteArray& picture, int x1, int y1, int x2, int y2, int& maxHeight,
                            int& maxWidth, bool save)
{
    int height = maxHeight;
    int width = maxWidth;
    QImage result;
    if (!RenderPictureAreaImage(picture, x1, y1, x2, y2, height, width, result) || !Deliver(result, save))
        return false;
    maxHeight = height;
    maxWidth = width;
    return true;
}

void ClearClipboard()
{
    if (HasGuiApplication())
        QGuiApplication::clipboard()->clear();
}

QString GetClipboardText()
{
    return HasGuiApplication() ? QGuiApplication::clipboard()->text() : QString();
}
