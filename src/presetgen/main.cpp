// kelvadeck-presetgen: builds the preset files of the configurator from the
// preset table.
//
//     kelvadeck-presetgen TABLE RESOURCE_DIR
//
// writes RESOURCE_DIR/presetdata/JA/macro_sw/AAA/FFF.mcdf (switch scripts, raw
// script bytes) and RESOURCE_DIR/presetdata/JA/macro_dial/AAA/FFF.dat (7 bytes
// of a dial action record) for every row of TABLE. Any fault in the table
// (unknown key or ID name, a preset without a row, ...) is reported as
// "TABLE:LINE: reason" and nothing is written; the exit status is then 1.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "model/FlashControl.h"
#include "macro/PresetBuilder.h"
#include "model/PresetError.h"
#include "model/PresetTable.h"

namespace fs = std::filesystem;
using namespace kelvadeck;

namespace {

bool ReadText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

bool WriteBytes(const fs::path& path, const uint8_t* data, size_t size) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "kelvadeck-presetgen: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kelvadeck-presetgen TABLE RESOURCE_DIR\n");
        return 2;
    }
    const std::string tablePath = argv[1];
    const fs::path resourceDir = argv[2];

    std::string text;
    if (!ReadText(tablePath, text)) return Fail("cannot read " + tablePath);

    PresetTable table;
    PresetError error;
    if (!PresetTable::Parse(text, table, error) || !table.CheckComplete(error)) {
        std::fprintf(stderr, "%s\n", error.Describe(tablePath).c_str());
        return 1;
    }

    // Build everything first, so that a bad row leaves the old files alone.
    struct Output {
        fs::path path;
        std::vector<uint8_t> bytes;
    };
    std::vector<Output> outputs;
    for (const PresetEntry& entry : table.entries) {
        Output output;
        output.path = resourceDir / PresetBuilder::RelativePath(entry.kind, entry.applicationId, entry.functionId);
        if (entry.kind == PresetKind::Switch) {
            output.bytes = PresetBuilder::SwitchScript(entry.action, entry.hold);
            if (output.bytes.empty() ||
                output.bytes.size() > static_cast<size_t>(FlashControl::FM_SCRIPT_DATA_MAX_SIZE)) {
                error = {entry.line, "the script of \"" + entry.keys + "\" has " +
                                         std::to_string(output.bytes.size()) + " bytes"};
                std::fprintf(stderr, "%s\n", error.Describe(tablePath).c_str());
                return 1;
            }
        } else {
            const PresetBuilder::DialRecord record = PresetBuilder::BuildDialRecord(entry.action);
            output.bytes.assign(record.begin(), record.end());
        }
        outputs.push_back(std::move(output));
    }

    // The two preset folders belong to this program: clear them so that no file
    // of a preset that left the table survives.
    const fs::path presetRoot = resourceDir / "presetdata" / "JA";
    std::error_code ec;
    for (const char* folder : {"macro_sw", "macro_dial"}) {
        fs::remove_all(presetRoot / folder, ec);
        if (ec) return Fail("cannot clear " + (presetRoot / folder).string() + ": " + ec.message());
    }

    size_t switches = 0;
    for (const Output& output : outputs) {
        if (!WriteBytes(output.path, output.bytes.data(), output.bytes.size())) {
            return Fail("cannot write " + output.path.string());
        }
        if (output.path.extension() == ".mcdf") ++switches;
    }
    std::printf("kelvadeck-presetgen: %zu switch presets, %zu dial presets in %s\n", switches,
                outputs.size() - switches, (resourceDir / "presetdata").string().c_str());
    return 0;
}
