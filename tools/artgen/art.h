// The thirteen pictures of the menu, each built from its source in this
// directory and encoded as the file the program embeds.
#pragma once

#include <string>
#include <vector>

#include "bmp.h"

namespace artgen {

struct Asset {
    std::string fileName;
    Bytes bytes;
};

// All thirteen files, in a fixed order. Throws if a picture breaks one of its
// own rules (size, colour counts), so a bad edit never reaches a file.
std::vector<Asset> buildAssets();

// Individual pictures, grouped by source file.
Asset appIcon();                      // icon.cpp
Asset cursorArrow();                  // cursor_keys.cpp
std::vector<Asset> keyCaps();         // cursor_keys.cpp
std::vector<Asset> titlePictures();   // titles.cpp
Asset aboutFootball();                // football.cpp
Image kickerScene();                  // title_scenes.cpp, at half size
Image duckScene();                    // title_scenes.cpp, at half size

// Helpers shared by the picture sources (assets.cpp).
// Maps every pixel to the first palette entry of its colour; throws if a
// colour is missing from the palette.
IndexedImage toIndexed(const Image& img, const std::vector<Rgb>& palette);
// Throws std::runtime_error with `what` unless `ok`.
void require(bool ok, const std::string& what);

} // namespace artgen
