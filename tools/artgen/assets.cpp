#include "art.h"

#include <stdexcept>

namespace artgen {

std::vector<Asset> buildAssets()
{
    std::vector<Asset> all;
    all.push_back(appIcon());
    all.push_back(cursorArrow());
    for (auto& a : titlePictures())
        all.push_back(std::move(a));
    all.push_back(aboutFootball());
    for (auto& a : keyCaps())
        all.push_back(std::move(a));
    return all;
}

IndexedImage toIndexed(const Image& img, const std::vector<Rgb>& palette)
{
    IndexedImage out{img.width, img.height, {}, palette};
    out.pixels.reserve(img.pixels.size());
    for (const Rgb c : img.pixels) {
        std::size_t i = 0;
        while (i < palette.size() && palette[i] != c)
            ++i;
        require(i < palette.size(), "colour missing from palette");
        out.pixels.push_back(std::uint8_t(i));
    }
    return out;
}

void require(bool ok, const std::string& what)
{
    if (!ok)
        throw std::runtime_error(what);
}

} // namespace artgen
