#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/FileLock.h"
#include "cli/CliProgram.h"
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
    // Exit statuses of the device commands (the program's, see CliProgram).
    static constexpr int EXIT_OK = CliProgram::EXIT_OK;
    static constexpr int EXIT_FAILED = CliProgram::EXIT_FAILED;
    static constexpr int EXIT_NO_DEVICE = CliProgram::EXIT_NO_DEVICE;
    static constexpr int EXIT_CANCELLED = CliProgram::EXIT_CANCELLED;

    explicit DeviceSession(const CliOptions& options);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Finds the device (the one --device names, or the only one) and runs
    // the boot job. False with Error() and ExitCode() set when that fails.
    bool Open();

    // One attached Kelvadeck as `list` shows it.
    struct Listing {
        std::string path;
        std::string serialNumber;
        std::string firmwareVersion;
        std::string error;  // why it could not be read (then no version)
    };
    // Every attached Kelvadeck, each read for its firmware version.
    bool Attach();
    std::vector<Listing> List();
    // Runs the queued job (StartCom already called) to its end and consumes
    // its bDataUpdate.
    ComResult RunJob();
    // The device layer is set up (the device itself may be missing).
    bool Attached() const { return m_dm != nullptr; }
    // After the device went away: looks for it again and reads it. True when
    // it is back and read.
    bool Redetect();
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
    bool AttachEmulators();
    bool Connect(const std::string& choice);
    bool LockImage();

    const CliOptions& m_options;
    FileLock m_image;  // --emulator=FILE, from Open to Close
    uint64_t m_loadedChanges = 0;
    std::vector<std::unique_ptr<EmulatedKelvadeck>> m_emulators;
    std::shared_ptr<HidBackend> m_backend;
    std::shared_ptr<TracingHidBackend> m_trace;
    std::unique_ptr<SystemLog> m_log;
    std::unique_ptr<DataManager> m_dm;  // last: goes before the devices and the log it uses
    bool m_closed = false;
    std::string m_error;
    int m_exitCode = EXIT_OK;
};

}  // namespace kelvadeck
