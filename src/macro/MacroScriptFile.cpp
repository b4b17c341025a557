#include "macro/MacroScriptFile.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "base/AtomicFile.h"
#include "macro/MacroCreator.h"
#include "model/ByteIO.h"

namespace kelvadeck {

namespace {

using C = Constants;

constexpr std::string_view kSignature = C::SCRIPT_FILE_SIGNATURE;
constexpr size_t kSignatureLengthAt = 0;
constexpr size_t kSignatureAt = kSignatureLengthAt + C::SCRIPT_FILE_SIGNATURE_SIZE_LEN;
constexpr size_t kFileSizeAt = kSignatureAt + 3;
constexpr size_t kModeAt = kFileSizeAt + C::SCRIPT_FILE_FILE_SIZE_LEN;
constexpr size_t kScriptSizeAt = kModeAt + C::SCRIPT_FILE_MODE_SIZE_LEN;
constexpr size_t kScriptAt = kScriptSizeAt + C::SCRIPT_FILE_SCRIPT_SIZE_LEN;
static_assert(kSignature.size() == 3);
static_assert(kScriptAt == MacroScriptFile::HEADER_SIZE && kScriptAt == 13);
static_assert(MacroScriptFile::FILE_SIZE_LIMIT == 9627);

MacroScriptFile::Imported Refused(MacroScriptFile::ImportError error) {
    MacroScriptFile::Imported result;
    result.error = error;
    return result;
}

}  // namespace

size_t MacroScriptFile::Exported::BytesOver() const {
    return scriptBytes > SCRIPT_SIZE_MAX ? scriptBytes - SCRIPT_SIZE_MAX : 0;
}

std::optional<std::vector<uint8_t>> MacroScriptFile::BuildBytes(uint8_t mode, const std::vector<uint8_t>& script) {
    if (mode >= C::SCRIPT_MODE_NUM || script.size() > SCRIPT_SIZE_MAX) return std::nullopt;
    std::vector<uint8_t> file(HEADER_SIZE + script.size());
    file[kSignatureLengthAt] = static_cast<uint8_t>(kSignature.size());
    std::memcpy(file.data() + kSignatureAt, kSignature.data(), kSignature.size());
    ByteIO::WriteLE32(file.data() + kFileSizeAt, static_cast<uint32_t>(file.size()));
    file[kModeAt] = mode;
    ByteIO::WriteLE32(file.data() + kScriptSizeAt, static_cast<uint32_t>(script.size()));
    if (!script.empty()) std::memcpy(file.data() + kScriptAt, script.data(), script.size());
    return file;
}

MacroScriptFile::Exported MacroScriptFile::Build(const MacroCreator& macro) {
    Exported result;
    result.steps = macro.arCurrentMacroScript.size();
    result.stepsThatFit = MacroCreator::StepsThatFit(macro.arCurrentMacroScript);
    result.scriptBytes = MacroCreator::EncodedSize(macro.arCurrentMacroScript);
    if (macro.bScriptMode >= C::SCRIPT_MODE_NUM) {
        result.error = ExportError::BadMode;
        return result;
    }
    // A step beyond the limit would be dropped by the encoder with every step
    // after it; the user decides what to cut, not the file writer.
    if (result.scriptBytes > SCRIPT_SIZE_MAX) {
        result.error = ExportError::TooLong;
        return result;
    }
    MacroCreator encoder;
    encoder.bScriptMode = macro.bScriptMode;
    encoder.arCurrentMacroScript = macro.arCurrentMacroScript;
    encoder.EncodeMacroData();
    auto bytes = BuildBytes(encoder.bScriptMode, encoder.pbRawData.value_or(std::vector<uint8_t>{}));
    if (!bytes) {
        result.error = ExportError::TooLong;  // unreachable: both were checked above
        return result;
    }
    result.bytes = std::move(*bytes);
    return result;
}

MacroScriptFile::Exported MacroScriptFile::Export(const MacroCreator& macro, const std::string& path,
                                                  const FileSystemOps& ops) {
    Exported result = Build(macro);
    if (result.ok() && !WriteFile(path, result.bytes, result.writeError, ops)) result.error = ExportError::WriteFailed;
    return result;
}

MacroScriptFile::Imported MacroScriptFile::Import(const uint8_t* data, size_t size, const KeyCode& keyCode) {
    if (size >= FILE_SIZE_LIMIT) return Refused(ImportError::TooLarge);
    if (data == nullptr || size < HEADER_SIZE) return Refused(ImportError::TooShort);
    if (data[kSignatureLengthAt] != kSignature.size() ||
        std::memcmp(data + kSignatureAt, kSignature.data(), kSignature.size()) != 0) {
        return Refused(ImportError::BadSignature);
    }
    if (ByteIO::ReadLE32(data + kFileSizeAt) != size) return Refused(ImportError::FileSizeMismatch);
    const uint8_t mode = data[kModeAt];
    if (mode >= C::SCRIPT_MODE_NUM) return Refused(ImportError::BadMode);
    const uint32_t scriptSize = ByteIO::ReadLE32(data + kScriptSizeAt);
    if (scriptSize > SCRIPT_SIZE_MAX) return Refused(ImportError::ScriptTooLong);
    if (HEADER_SIZE + scriptSize > size) return Refused(ImportError::ScriptBeyondFile);

    MacroCreator decoder;
    decoder.bScriptMode = mode;
    decoder.pbRawData.emplace(data + kScriptAt, data + kScriptAt + scriptSize);
    decoder.dwTotalSize = scriptSize;
    Imported result;
    if (!decoder.AnalyzeDataFromMyself(keyCode)) {
        result.error = ImportError::BadScript;
        for (const MacroDataScript& step : decoder.arCurrentMacroScript) result.stoppedAt += static_cast<size_t>(step.nScriptSize);
        return result;
    }
    result.mode = mode;
    result.script = std::move(*decoder.pbRawData);
    result.steps = std::move(decoder.arCurrentMacroScript);
    return result;
}

MacroScriptFile::Imported MacroScriptFile::ImportFile(const std::string& path, const KeyCode& keyCode) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(std::filesystem::path(path), ec);
    if (ec) return Refused(ImportError::SizeUnreadable);
    if (size >= FILE_SIZE_LIMIT) return Refused(ImportError::TooLarge);
    const auto bytes = ReadFile(path, FILE_SIZE_LIMIT - 1);
    if (!bytes || bytes->size() != size) return Refused(ImportError::ReadFailed);
    return Import(bytes->data(), bytes->size(), keyCode);
}

bool MacroScriptFile::AppendTo(MacroCreator& current, const Imported& imported) {
    if (!imported.ok()) return false;
    if (current.arCurrentMacroScript.empty()) current.bScriptMode = imported.mode;
    current.arCurrentMacroScript.insert(current.arCurrentMacroScript.end(), imported.steps.begin(), imported.steps.end());
    return true;
}

std::string MacroScriptFile::ErrorText(const Imported& imported) {
    switch (imported.error) {
        case ImportError::None: return {};
        case ImportError::SizeUnreadable: return "cannot find or access the file";
        case ImportError::TooLarge:
            return "the file is too large for a macro file (" + std::to_string(FILE_SIZE_LIMIT) + " bytes or more)";
        case ImportError::ReadFailed: return "the file could not be read";
        case ImportError::TooShort: return "the file is shorter than the 13-byte macro file header";
        case ImportError::BadSignature: return "not a macro file (no 03 \"ZKW\" signature)";
        case ImportError::FileSizeMismatch: return "the file size in the header does not match the file's length";
        case ImportError::BadMode: return "the play mode in the header is not 0 to 3";
        case ImportError::ScriptTooLong:
            return "the script is longer than the device's " + std::to_string(SCRIPT_SIZE_MAX) + " bytes";
        case ImportError::ScriptBeyondFile: return "the script length in the header runs past the end of the file";
        case ImportError::BadScript:
            return "the script holds an unknown command or a cut-off step at script byte " +
                   std::to_string(imported.stoppedAt);
    }
    return "unknown error";
}

std::string MacroScriptFile::ErrorText(const Exported& exported) {
    switch (exported.error) {
        case ExportError::None: return {};
        case ExportError::TooLong:
            return "the script is " + std::to_string(exported.scriptBytes) + " bytes, " +
                   std::to_string(exported.BytesOver()) + " over the device's " + std::to_string(SCRIPT_SIZE_MAX) +
                   "-byte limit: the last " + std::to_string(exported.StepsLeftOut()) + " of " +
                   std::to_string(exported.steps) + " steps do not fit";
        case ExportError::BadMode: return "the play mode is not 0 to 3";
        case ExportError::WriteFailed: return "the file could not be written: " + exported.writeError;
    }
    return "unknown error";
}

bool MacroScriptFile::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                                const FileSystemOps& ops) {
    return AtomicFile::Write(path, bytes, error, ops);
}

std::optional<std::vector<uint8_t>> MacroScriptFile::ReadFile(const std::string& path, size_t maxSize) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // Read one byte more than allowed to notice a file that grew past the limit.
    std::vector<uint8_t> bytes(maxSize + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return std::nullopt;
    const auto got = static_cast<size_t>(in.gcount());
    if (got > maxSize) return std::nullopt;
    bytes.resize(got);
    return bytes;
}

}  // namespace kelvadeck
