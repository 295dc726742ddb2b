#include "ui/windowpicture.h"

#include "foundation/imageexport.h"

#include <QPixmap>
#include <QWidget>

bool SaveWindowAsPng(QWidget* window, const QString& path)
{
    return window && WriteImageFile(window->grab().toImage(), path, QStringLiteral("image/png"));
}
