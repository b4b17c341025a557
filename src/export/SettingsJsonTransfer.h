#pragma once

#include <string>
#include <vector>

#include "base/FileSystemOps.h"
#include "export/SettingsJson.h"

namespace kelvadeck {

class DataManager;

// The device work around a settings document, the same for the command line
// (which runs each job to its end at once) and the desktop application (which
// waits for each job on its timer): which data sectors must be read first,
// the reads that load them, the writes that put an applied plan onto the
// device, and reading a document file within the size limit.
class SettingsJsonTransfer {
public:
    // Data sectors 2..31: an export holds the scripts of all of them.
    static std::vector<int> AllDataSectors();
    // Queues the script reads of those sectors not read yet. True when a
    // read was queued (a job has to run before the scripts are there).
    static bool QueueUnreadSectors(DataManager& dm, const std::vector<int>& sectors);
    // After the reads: decodes the scripts of the sectors. False with the
    // first sector that could not be read in failedSector.
    static bool LoadSectors(DataManager& dm, const std::vector<int>& sectors, int& failedSector);
    // Queues the writes of a plan that SettingsJson::Apply has put into the
    // model and the buffers: the settings sector with the live updates (so the
    // device works with them at once), and, with scripts, the directory and
    // every data sector the plan rewrites. False (queue emptied) when any
    // step could not be queued.
    static bool QueueImportWrites(const SettingsJson::Plan& plan, DataManager& dm);
    // Reads a document file whole. False with error when it cannot be read
    // or is larger than SettingsJson::TEXT_LIMIT.
    static bool ReadText(const std::string& path, std::string& text, std::string& error);
    // Writes the document of the model to path (AtomicFile: an older file is
    // replaced only once the new one is complete). False with error ("cannot
    // write PATH: reason") when it cannot be written; scripts receives the
    // number of scripts written.
    static bool WriteDocument(const DataManager& dm, const std::string& path, size_t& scripts, std::string& error,
                              const FileSystemOps& ops = FileSystemOps::Real());
    // The document as text (two-space indentation, ending with a newline).
    static std::string DocumentText(const DataManager& dm, size_t& scripts);
};

}  // namespace kelvadeck
