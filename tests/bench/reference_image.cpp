// Writes the reference device image (three modes fully assigned, 40 user
// scripts of 20 to 600 bytes spread over the data sectors, two switch
// presets) as a backup file: a device image for measurements, for
// `kelvadeck-cli --emulator=FILE.mbf` and for restoring onto a device.
//
//   kelvadeck-reference-image FILE.mbf
#include <cstdio>
#include <cstring>

#include "core/DataManager.h"
#include "model/FlashControl.h"
#include "support/ReferenceImage.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fprintf(argc == 2 ? stdout : stderr, "usage: %s FILE.mbf\n", argc > 0 ? argv[0] : "kelvadeck-reference-image");
        return argc == 2 ? 0 : 2;
    }
    kelvadeck::DataManager dm;
    kelvadeck::testsupport::BuildReferenceImage(dm);
    if (!dm.SaveFile(argv[1], dm.WholeImage(), kelvadeck::FlashControl::FM_TOTAL_SIZE)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: reference image, %u bytes\n", argv[1], kelvadeck::FlashControl::FM_TOTAL_SIZE);
    return 0;
}
