#pragma once

// The pictures the trees show until the frame hands them others: node
// symbols by the image numbers the project document answers, memo symbols
// by memo type, and the two check-box pictures. Drawn, not loaded, so they
// scale with nothing and need no resource files.

#include <QList>
#include <QPixmap>

namespace TreeImages {

constexpr int kImageSize = 16;
constexpr int kCheckSize = 13;
/// Node images 0 to this number (exclusive) exist.
constexpr int kNodeImageCount = 51;

/// Every node symbol, index = image number.
QList<QPixmap> NodeImages();
/// Memo symbols by memo type (0 to 9).
QList<QPixmap> MemoImages();
/// Check-box pictures: 0 unticked, 1 ticked.
QList<QPixmap> CheckImages();

}  // namespace TreeImages
