#pragma once

#include <QColor>
#include <QPixmap>

// The program's pictures, drawn in code so that they scale and follow no file on disk.
namespace Artwork {
QPixmap programIcon(int size);
QPixmap logo(int height, const QColor &textColour);
} // namespace Artwork
