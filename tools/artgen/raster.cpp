#include "raster.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

namespace artgen {

Image::Image(int w, int h, Rgb fill)
    : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), fill)
{
}

std::size_t Image::distinctColours() const
{
    return std::set<Rgb>(pixels.begin(), pixels.end()).size();
}

Image parseMap(std::string_view text, const ColourKey& key)
{
    std::vector<std::string_view> rows;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        rows.push_back(text.substr(0, nl));
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    }
    auto blank = [](std::string_view r) { return r.find_first_not_of(" \t\r") == std::string_view::npos; };
    while (!rows.empty() && blank(rows.front()))
        rows.erase(rows.begin());
    while (!rows.empty() && blank(rows.back()))
        rows.pop_back();
    if (rows.empty())
        throw std::runtime_error("empty pixel map");

    Image img(int(rows.front().size()), int(rows.size()));
    for (int y = 0; y < img.height; ++y) {
        const auto row = rows[std::size_t(y)];
        if (int(row.size()) != img.width)
            throw std::runtime_error("pixel map row " + std::to_string(y) + " has "
                                     + std::to_string(row.size()) + " pixels, expected "
                                     + std::to_string(img.width));
        for (int x = 0; x < img.width; ++x) {
            const auto it = key.find(row[std::size_t(x)]);
            if (it == key.end())
                throw std::runtime_error(std::string("pixel map uses unknown colour '")
                                         + row[std::size_t(x)] + "' in row " + std::to_string(y));
            img.at(x, y) = it->second;
        }
    }
    return img;
}

Image scaled(const Image& src, int factor)
{
    Image out(src.width * factor, src.height * factor);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.at(x, y) = src.at(x / factor, y / factor);
    return out;
}

void blit(Image& dst, const Image& src, int x, int y)
{
    for (int sy = 0; sy < src.height; ++sy)
        for (int sx = 0; sx < src.width; ++sx)
            dst.set(x + sx, y + sy, src.at(sx, sy));
}

void blitKeyed(Image& dst, const Image& src, int x, int y, Rgb skip)
{
    for (int sy = 0; sy < src.height; ++sy)
        for (int sx = 0; sx < src.width; ++sx)
            if (src.at(sx, sy) != skip)
                dst.set(x + sx, y + sy, src.at(sx, sy));
}

void fillRect(Image& img, int x, int y, int w, int h, Rgb c)
{
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx)
            img.set(xx, yy, c);
}

void fillEllipse(Image& img, int x0, int y0, int x1, int y1, Rgb c)
{
    const double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0;
    const double rx = (x1 - x0 + 1) / 2.0, ry = (y1 - y0 + 1) / 2.0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double dx = (x - cx) / rx, dy = (y - cy) / ry;
            if (dx * dx + dy * dy <= 1.0)
                img.set(x, y, c);
        }
}

void fillPolygon(Image& img, std::initializer_list<std::pair<double, double>> pts, Rgb c)
{
    const std::vector<std::pair<double, double>> p(pts);
    for (int y = 0; y < img.height; ++y) {
        const double py = y + 0.5;
        std::vector<double> xs;
        for (std::size_t i = 0; i < p.size(); ++i) {
            const auto [ax, ay] = p[i];
            const auto [bx, by] = p[(i + 1) % p.size()];
            if ((ay <= py) != (by <= py))
                xs.push_back(ax + (py - ay) * (bx - ax) / (by - ay));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
            for (int x = 0; x < img.width; ++x)
                if (x + 0.5 >= xs[i] && x + 0.5 < xs[i + 1])
                    img.set(x, y, c);
    }
}

void fillCapsule(Image& img, double x0, double y0, double x1, double y1, double radius, Rgb c)
{
    const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const double px = x + 0.5 - x0, py = y + 0.5 - y0;
            const double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
            const double ex = px - t * dx, ey = py - t * dy;
            if (ex * ex + ey * ey <= radius * radius)
                img.set(x, y, c);
        }
}

} // namespace artgen
