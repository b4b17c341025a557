// kelvadeck-demo-image FILE.mbf: writes a populated device image, for
// `kelvadeck --emulator=FILE.mbf`.
#include <cstdio>
#include <fstream>

#include "KnownImage.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvadeck-demo-image FILE.mbf\n");
        return 2;
    }
    const std::vector<uint8_t> image = kelvadeck::guitest::BuildKnownImage();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "kelvadeck-demo-image: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
