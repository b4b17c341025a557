#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "macro/ScriptElem.h"
#include "model/DialMacroInfo.h"
#include "model/StandardSettingInfo.h"

namespace kelvadeck {

// What the command queue and the report protocol need of the one who keeps
// the device's flash image and settings model (the data manager): the
// buffers the jobs read into and write from, the few model records the job
// builders copy into reports, and the places where the protocol reports what
// happens. The device layer sees nothing else of the data manager.
class DeviceDataStore {
public:
    virtual ~DeviceDataStore() = default;

    // The flash image: 32 sector buffers of 64 KiB and the contiguous 2 MiB
    // image of backup and restore.
    virtual uint8_t* SectorBuffer(int sector) = 0;
    virtual uint8_t* WholeImage() = 0;
    virtual void SetSectorReadFlag(int sector, bool read) = 0;
    // A read of the sector from the device has completed.
    virtual void SectorReadFromDevice(int sector) = 0;

    // The model records the job builders take payloads and ranges from.
    virtual StandardSettingInfo& BaseSettings() = 0;
    virtual const std::vector<DialMacroInfo>& DialMacros() const = 0;
    virtual const std::vector<ScriptElem>& Scripts() const = 0;

    // A device arrived: the image and the model start afresh.
    virtual void DeviceArrived() = 0;
    // Characters of the firmware version answer, appended as they come.
    virtual void AppendFirmwareVersion(const std::string& text) = 0;
    // A job has ended (bDataUpdate).
    virtual void SetDataUpdate(bool value) = 0;

    // The course of a job, for keeping what the device held before each
    // change (the write history): a job starts; an erase of the sector is
    // about to be sent; the whole image is about to be written; the job
    // ended; the device is gone (what was kept of it is worthless now).
    virtual void JobStarted() = 0;
    virtual void EraseSent(int sector) = 0;
    virtual void WholeImageWriteSent() = 0;
    virtual void JobEnded(bool succeeded) = 0;
    virtual void DeviceLeft() = 0;
};

}  // namespace kelvadeck
