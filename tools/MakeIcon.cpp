// Writes Sayvane.ico, the program file's icon, at every size it carries:
//   make_icon <output.ico>
#include <cstdio>
#include <fstream>
#include <vector>

#include "art/IconArt.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon <output.ico>\n");
        return 2;
    }
    std::vector<sayvane::art::Image> images;
    for (const int size : sayvane::art::kIconFileSizes) {
        images.push_back(sayvane::art::DrawSayvaneIcon(size, sayvane::art::IconLook::Enabled));
    }
    const std::vector<std::uint8_t> bytes = sayvane::art::IconFile(images);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
