// The menu's pictures, decoded without Qt's image-format plugins.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace forms {

// An uncompressed 4-, 8- or 24-bit BMP file, or an icon file holding one such
// bitmap under its mask, as Qt's own readers would give it (the same format,
// colour table and pixels); a null image for anything else.
QImage decodePicture(QByteArrayView file);

// The picture at `path` (a compiled-in resource): decoded here when it is one
// of the kinds above, otherwise read by Qt.
QImage picture(const QString& path);

}  // namespace forms
