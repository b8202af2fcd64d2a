// Paints the game's images and its icon and writes them as PNG files into the given folder (the
// repository's resources/ folder holds what this makes).
#include <cstdio>
#include <string>

#include "tools/art/game_art.h"
#include "tools/art/png_writer.h"

namespace {

bool save(const std::string& folder, const std::string& name, const art::Canvas& canvas) {
    std::string path = folder + "/" + name;
    if (!art::writePng(path, canvas.width(), canvas.height(), canvas.rgba8())) {
        std::fprintf(stderr, "make_art: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_art OUTPUT_FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    bool written = save(folder, "backdrop.png", art::makeBackdrop()) &&
                   save(folder, "aaa.png", art::makeCell());
    for (int kind = 1; written && kind <= art::kPieceKinds; ++kind) {
        written = save(folder, "peice" + std::to_string(kind) + ".png", art::makePiece(kind));
    }
    written = written && save(folder, "icon.png", art::makeIcon());
    return written ? 0 : 1;
}
