#include "model/PresetTable.h"

#include <string>

#include "model/PresetIdCatalogue.h"

namespace kelvadeck {

namespace {

constexpr size_t kFieldCount = 5;

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        fields.push_back(Trim(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start)));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

// "hold" as the first ';'-separated part of the notes.
bool NotesSayHold(std::string_view notes) { return Trim(notes.substr(0, notes.find(';'))) == "hold"; }

std::string KindWord(PresetKind kind) { return kind == PresetKind::Switch ? "sw" : "dial"; }

bool Fail(PresetError& error, int line, std::string message) {
    error.line = line;
    error.message = std::move(message);
    return false;
}

bool ParseRow(std::string_view text, int line, PresetEntry& entry, PresetError& error) {
    const std::vector<std::string_view> fields = SplitTabs(text);
    if (fields.size() != kFieldCount) {
        return Fail(error, line,
                    "expected 5 tab-separated fields (kind, application, ID name, keys, notes), found " +
                        std::to_string(fields.size()));
    }
    entry.line = line;

    if (fields[0] == "sw") {
        entry.kind = PresetKind::Switch;
    } else if (fields[0] == "dial") {
        entry.kind = PresetKind::Dial;
    } else {
        return Fail(error, line, "unknown kind \"" + std::string(fields[0]) + "\" (sw or dial)");
    }

    entry.application = fields[1];
    const PresetIdCatalogue::Application* app = PresetIdCatalogue::FindApplication(fields[1]);
    if (app == nullptr) return Fail(error, line, "unknown application \"" + entry.application + "\"");
    entry.applicationId = app->id;

    entry.idName = fields[2];
    const auto function = PresetIdCatalogue::FunctionId(entry.kind, *app, fields[2]);
    if (!function) {
        return Fail(error, line,
                    "unknown ID name \"" + entry.idName + "\" for " + KindWord(entry.kind) + " " + entry.application);
    }
    entry.functionId = *function;

    entry.keys = fields[3];
    std::string reason;
    if (!PresetAction::Parse(fields[3], entry.kind == PresetKind::Dial, entry.action, reason)) {
        return Fail(error, line, reason);
    }

    entry.notes = fields[4];
    if (entry.notes.empty()) return Fail(error, line, "the notes say nothing about what the preset does");
    entry.hold = NotesSayHold(fields[4]);
    if (entry.hold && entry.kind == PresetKind::Dial) {
        return Fail(error, line, "a dial preset is one step: it cannot hold keys");
    }
    return true;
}

}  // namespace

bool PresetTable::Parse(std::string_view text, PresetTable& out, PresetError& error) {
    out.entries.clear();
    int line = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t newline = text.find('\n', start);
        const size_t end = newline == std::string_view::npos ? text.size() : newline;
        const std::string_view raw = text.substr(start, end - start);
        start = end + 1;
        ++line;

        const std::string_view trimmed = Trim(raw);
        if (trimmed.empty() || trimmed.front() == '#') continue;

        PresetEntry entry;
        if (!ParseRow(raw, line, entry, error)) return false;
        if (const PresetEntry* earlier = out.Find(entry.kind, entry.applicationId, entry.functionId)) {
            return Fail(error, line,
                        KindWord(entry.kind) + " " + entry.application + " " + entry.idName +
                            " is already defined on line " + std::to_string(earlier->line));
        }
        out.entries.push_back(std::move(entry));
    }
    return true;
}

bool PresetTable::CheckComplete(PresetError& error) const {
    for (const PresetIdCatalogue::Application& app : PresetIdCatalogue::Applications()) {
        for (const PresetKind kind : {PresetKind::Switch, PresetKind::Dial}) {
            for (const PresetIdCatalogue::Name& name : PresetIdCatalogue::Names(kind, app)) {
                if (Find(kind, app.id, name.id) == nullptr) {
                    return Fail(error, 0,
                                "no row for " + KindWord(kind) + " " + std::string(app.name) + " " +
                                    std::string(name.name));
                }
            }
        }
    }
    return true;
}

const PresetEntry* PresetTable::Find(PresetKind kind, uint8_t applicationId, uint8_t functionId) const {
    for (const PresetEntry& entry : entries) {
        if (entry.kind == kind && entry.applicationId == applicationId && entry.functionId == functionId) return &entry;
    }
    return nullptr;
}

}  // namespace kelvadeck
