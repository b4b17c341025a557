#pragma once

#include <memory>
#include <string>

#include "base/FileLock.h"
#include "device/ComResult.h"

namespace kelvadeck {

struct CliOptions;
class DataManager;
class EmulatedKelvadeck;
class HidBackend;
class SystemLog;
class TracingHidBackend;
class USBHidManager;

// One command's connection to a Kelvadeck: the hidapi device or, with
// --emulator, the emulated one (its flash loaded from the image file, which
// stays locked for the whole command, and saved back when the command changed
// it), optionally traced, with a data manager that has read the device's
// settings (the boot job) and decoded them.
class DeviceSession {
public:
    // Exit statuses of the device commands.
    static constexpr int EXIT_OK = 0;
    static constexpr int EXIT_FAILED = 1;     // a job step failed or the job was aborted; a bad file
    static constexpr int EXIT_NO_DEVICE = 2;  // no Kelvadeck found or it cannot be opened
    static constexpr int EXIT_CANCELLED = 3;  // the user did not confirm

    explicit DeviceSession(const CliOptions& options);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Finds the device and runs the boot job. False with Error() and
    // ExitCode() set when that fails.
    bool Open();
    // Runs the queued job (StartCom already called) to its end and consumes
    // its bDataUpdate.
    ComResult RunJob();
    // Queues nothing: starts what is queued and runs it. A job that cannot
    // start reports itself as aborted.
    ComResult StartAndRun();
    // Saves the emulator's flash (with --emulator=FILE, when the command
    // changed it), releases the image and prints the exchange count (with
    // --trace). False with Error() when saving fails.
    bool Close();

    DataManager& Dm() { return *m_dm; }
    USBHidManager& Hid();
    const std::string& Error() const { return m_error; }
    int ExitCode() const { return m_exitCode; }

private:
    bool LockImage();

    const CliOptions& m_options;
    FileLock m_image;  // --emulator=FILE, from Open to Close
    uint64_t m_loadedChanges = 0;
    std::unique_ptr<EmulatedKelvadeck> m_emulator;
    std::shared_ptr<HidBackend> m_backend;
    std::shared_ptr<TracingHidBackend> m_trace;
    std::unique_ptr<SystemLog> m_log;
    std::unique_ptr<DataManager> m_dm;  // last: goes before the devices and the log it uses
    bool m_closed = false;
    std::string m_error;
    int m_exitCode = EXIT_OK;
};

}  // namespace kelvadeck
