#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/FileSystemOps.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "model/MacroDataScript.h"

namespace kelvadeck {

class KeyCode;
class MacroCreator;

// Macro script files (".mcdf"): one script with its play mode, exchanged
// between users and machines. Layout, numbers little-endian:
//   0  signature length (3)      1..3  "ZKW"
//   4  file size (u32, header included)
//   8  play mode (0..3)          9..12 script length (u32)
//   13 script bytes
// Toolkit-free; the macro editor and the command line both use it. Files come
// from outside: every check is made before a byte is trusted, and a rejected
// file never changes the caller's script.
class MacroScriptFile {
public:
    static constexpr size_t HEADER_SIZE = Constants::SCRIPT_FILE_SIGNATURE_SIZE_LEN + 3 +
                                          Constants::SCRIPT_FILE_FILE_SIZE_LEN + Constants::SCRIPT_FILE_MODE_SIZE_LEN +
                                          Constants::SCRIPT_FILE_SCRIPT_SIZE_LEN;
    static constexpr size_t SCRIPT_SIZE_MAX = FlashControl::FM_SCRIPT_DATA_MAX_SIZE;
    // The largest file looked at: the header could in principle carry a
    // 255-byte signature, plus a whole script (9627 bytes). Files this size or
    // larger are refused without being read.
    static constexpr size_t FILE_SIZE_LIMIT = Constants::SCRIPT_FILE_SIGNATURE_SIZE_LEN +
                                              Constants::SCRIPT_FILE_SIGNATURE_SIZE_MAX +
                                              Constants::SCRIPT_FILE_FILE_SIZE_LEN +
                                              Constants::SCRIPT_FILE_MODE_SIZE_LEN +
                                              Constants::SCRIPT_FILE_SCRIPT_SIZE_LEN + SCRIPT_SIZE_MAX;

    // Why an import was refused, in the order the checks are made.
    enum class ImportError {
        None,
        SizeUnreadable,    // the file's size cannot be had (missing, no access)
        TooLarge,          // FILE_SIZE_LIMIT bytes or more
        ReadFailed,        // reading the file failed or came up short
        TooShort,          // shorter than the 13-byte header
        BadSignature,      // not 03 "ZKW"
        FileSizeMismatch,  // the size field is not the file's length
        BadMode,           // play mode above 3
        ScriptTooLong,     // script length above the device's 9362 bytes
        ScriptBeyondFile,  // 13 + script length runs past the end of the file
        BadScript,         // an unknown command or a step cut off by the end
    };

    struct Imported {
        ImportError error = ImportError::None;
        uint8_t mode = 0;
        std::vector<uint8_t> script;          // the script bytes as stored
        std::vector<MacroDataScript> steps;   // decoded, on success
        size_t stoppedAt = 0;                 // BadScript: offset of the bad step in the script
        bool ok() const { return error == ImportError::None; }
    };

    enum class ExportError {
        None,
        TooLong,      // the steps encode to more than 9362 bytes; nothing was cut or written
        BadMode,      // the play mode is not one of the four
        WriteFailed,  // the file could not be written (writeError says why); an older file is kept
    };

    struct Exported {
        ExportError error = ExportError::None;
        std::vector<uint8_t> bytes;  // the whole file, on success
        size_t steps = 0;            // steps in the script
        size_t stepsThatFit = 0;     // leading steps within the device's limit
        size_t scriptBytes = 0;      // encoded length of all steps, limit ignored
        std::string writeError;      // WriteFailed: why, in the system's words
        bool ok() const { return error == ExportError::None; }
        size_t StepsLeftOut() const { return steps - stepsThatFit; }
        size_t BytesOver() const;
    };

    // Header plus script. None when the mode is not 0..3 or the script is
    // longer than the device takes (such a file could never be imported).
    static std::optional<std::vector<uint8_t>> BuildBytes(uint8_t mode, const std::vector<uint8_t>& script);

    // Encodes the macro's steps and builds the file. A script too long for the
    // device is refused whole with the counts that tell the user how much does
    // not fit; it is never cut silently.
    static Exported Build(const MacroCreator& macro);
    // Build, then write to path; a file that cannot be written is reported.
    static Exported Export(const MacroCreator& macro, const std::string& path,
                           const FileSystemOps& ops = FileSystemOps::Real());

    // Checks and decodes a file held in memory (key names on the given layout).
    static Imported Import(const uint8_t* data, size_t size, const KeyCode& keyCode);
    // The same from a file, with the size checked before anything is read.
    static Imported ImportFile(const std::string& path, const KeyCode& keyCode);

    // Appends an accepted import to the script being edited. An empty script
    // takes the file's play mode; one with steps keeps its own. False, and the
    // script untouched, for a refused import.
    static bool AppendTo(MacroCreator& current, const Imported& imported);

    // One line for the user, in English (the editor shows its localised
    // "SCRIPT_FILE_IMPORT_ERROR_MSG" instead).
    static std::string ErrorText(const Imported& imported);
    static std::string ErrorText(const Exported& exported);

    // Whole-file helpers. WriteFile replaces path only once every byte is on
    // disk (AtomicFile), else it is false with the reason in error; ReadFile
    // is none when the file is missing, unreadable or larger than maxSize.
    [[nodiscard]] static bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                                        const FileSystemOps& ops = FileSystemOps::Real());
    static std::optional<std::vector<uint8_t>> ReadFile(const std::string& path, size_t maxSize);
};

}  // namespace kelvadeck
