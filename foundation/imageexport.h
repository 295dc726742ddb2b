#pragma once

// Pictures of stored content: an area of a PDF page or of a picture, scaled
// to fit size limits, written as "image.jpg" or put on the clipboard; and
// the small clipboard services.

#include <QByteArray>
#include <QString>

class QImage;

/// The index of the first image format QImageWriter offers for `mimeType`
/// (exact, case-sensitive comparison; "image/png", "image/jpeg",
/// "image/bmp") among its MIME types, with its format name in `format`;
/// -1 when there is none.
int GetEncoderClsid(const QString& mimeType, QByteArray& format);

/// Writes the picture in the format of `mimeType` to a temporary file that
/// then replaces `path`. False when the format is unknown or the file
/// cannot be written; an existing file then stays as it was.
bool WriteImageFile(const QImage& image, const QString& path, const QString& mimeType);
/// The same at a quality of 0..100 (JPEG); -1 the format's default.
bool WriteImageFile(const QImage& image, const QString& path, const QString& mimeType, int quality);

/// The file the area functions save to: "image.jpg" in a temporary folder of
/// this process (removed at exit), so running programs never share it.
QString TemporaryPictureFile();

/// An area of page `page` (from 1) of a PDF held in memory, given by two
/// corners in page points with y upwards (as area codings store them, in
/// any order), at screen resolution. `maxHeight` and `maxWidth` (pixels; 0
/// for no limit) shrink the picture to fit, keeping its proportions (never
/// enlarging); on success they hold the picture's height and width. With
/// `save` the picture replaces TemporaryPictureFile() as JPEG, else it goes
/// to the clipboard. False, with the limits unchanged, for an unreadable
/// document, a missing page, an empty area or a failed write.
bool CopyPdfAreaAsImage(const QByteArray& pdf, int page, int x1, int y1, int x2, int y2, int& maxHeight,
                        int& maxWidth, bool save);

/// The same for an area of a picture (PNG, JPEG, BMP, ...) given in pixels
/// with y downwards.
bool CopyPictureAreaAsImage(const QByteArray& picture, int x1, int y1, int x2, int y2, int& maxHeight,
                            int& maxWidth, bool save);

/// The pictures of the two functions above, handed over in memory.
bool RenderPdfAreaImage(const QByteArray& pdf, int page, int x1, int y1, int x2, int y2, int& maxHeight,
                        int& maxWidth, QImage& picture);
bool RenderPictureAreaImage(const QByteArray& picture, int x1, int y1, int x2, int y2, int& maxHeight,
                            int& maxWidth, QImage& result);

/// Empties the clipboard.
void ClearClipboard();
/// The clipboard's text; empty when it holds none.
QString GetClipboardText();
