// artgen <outdir>: writes the menu's thirteen picture files into <outdir>.
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "art.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: artgen <outdir>\n";
        return 2;
    }
    try {
        const std::filesystem::path dir = argv[1];
        std::filesystem::create_directories(dir);
        for (const auto& asset : artgen::buildAssets()) {
            std::ofstream out(dir / asset.fileName, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(asset.bytes.data()), std::streamsize(asset.bytes.size()));
            if (!out)
                throw std::runtime_error("cannot write " + (dir / asset.fileName).string());
        }
    } catch (const std::exception& e) {
        std::cerr << "artgen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
