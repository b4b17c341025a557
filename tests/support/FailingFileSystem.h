#pragma once

#include <string>
#include <vector>

#include "base/FileSystemOps.h"

namespace kelvadeck::testsupport {

// The steps of a file write (AtomicFile) that can fail on a real machine.
enum class FileStep { Open, Write, Chmod, Sync, Close, Rename };

const std::vector<FileStep>& AllFileSteps();
std::string Name(FileStep step);

// The real file system, except that step fails with errnum. Writes fail the
// way a disk fills up: each takes half of its bytes until the last one fails.
// A failing close still closes.
FileSystemOps FailingAt(FileStep step, int errnum);

}  // namespace kelvadeck::testsupport
