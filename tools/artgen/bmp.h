// Encoders for the two picture file formats the menu ships: uncompressed
// Windows bitmaps (24, 8 and 4 bits per pixel) and single-image icons.
#pragma once

#include <cstdint>
#include <vector>

#include "raster.h"

namespace artgen {

using Bytes = std::vector<std::uint8_t>;

// 24-bit bitmap, rows bottom-up, no palette.
Bytes encodeBmp24(const Image& img);

// 4- or 8-bit bitmap. The palette is written with 1 << bits entries; entries
// beyond img.palette are zero. Every index must be below 1 << bits.
Bytes encodeBmpIndexed(const IndexedImage& img, int bits);

// Icon file holding one 8-bit image of any size up to 256 x 256.
// transparent[i] marks pixel i (row-major, top-down) as see-through; the
// colour index stored under it is kept as given.
Bytes encodeIco(const IndexedImage& img, const std::vector<bool>& transparent);

} // namespace artgen
