#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "model/FlashControl.h"

namespace kelvadeck {

class DataManager;

// Undo of the device's flash writes: before a job rewrites a sector, the bytes
// the device held there are kept, so "Undo last change" can write them back.
//
// How the before-images come about: while the sector buffers show the device,
// nothing needs keeping. The first time since the last write of a sector that
// an encoder overwrites its buffer, and the buffer holds the device's bytes
// (its read flag is set), the buffer is copied as the sector's pending image.
// A new read of the sector from the device drops it again: the buffer shows
// the device once more.
//
// When a job erases a sector that its own later steps write back from the
// buffer, the sector's pending image goes into the job's history entry (one
// entry per job, made with its first such erase). The last MAX_ENTRIES entries
// are kept. An erase the job does not write back (a factory reset) or a write
// of the whole image (a restore) cannot be undone from sector images: it
// empties the history. So does an erase of a sector whose device bytes were
// never known (rewritten while unread): leaving it out would make the older
// entries restore a directory that no longer fits the scripts on the device.
//
// Device arrival and removal empty everything: the next device may be another
// Kelvadeck, which must never get this one's sectors.
//
// The data manager calls BeforeEncode from its encoders and SectorReadFromDevice
// when a read completes; the transport calls the job hooks. Runs on the thread
// that owns the model, like the data manager.
class WriteHistory {
public:
    static constexpr size_t MAX_ENTRIES = 10;

    // The newest change, for an "Undo ..." menu entry: when its job started and
    // which sectors it rewrote (ascending). Sector 0 holds the settings, sector
    // 1 the script directory, sectors 2..31 the scripts.
    struct Change {
        std::chrono::system_clock::time_point time;
        std::vector<int> sectors;

        bool Settings() const;
        bool ScriptDirectory() const;
        std::vector<int> ScriptSectors() const;
    };

    explicit WriteHistory(DataManager& dm);
    WriteHistory(const WriteHistory&) = delete;
    WriteHistory& operator=(const WriteHistory&) = delete;

    // An entry exists, the device is connected and no job runs.
    bool CanUndo() const;
    size_t EntryCount() const { return m_entries.size(); }
    std::optional<Change> NewestChange() const;
    // The bytes the newest change replaced in the sector; null when it did not
    // rewrite it.
    const std::vector<uint8_t>* NewestBeforeImage(int sector) const;

    // Takes the newest entry, puts its images into the sector buffers, decodes
    // the model from them again, queues their writes (the settings also as live
    // updates, so the device works with them at once) and starts the job. The
    // job makes no entry of its own; if it fails, the entry goes back on the
    // history so the undo can be tried again. False, with nothing changed, when
    // CanUndo is false, the model is not decoded or other steps are queued.
    bool StartUndoLastChange();

    // Hooks of the data manager.
    void BeforeEncode(int sector);
    void SectorReadFromDevice(int sector);
    bool HasPendingImage(int sector) const;

    // Hooks of the transport, in the order a job produces them.
    void JobStarted();
    void EraseSent(int sector);
    void WholeImageWriteSent();
    void JobEnded(bool succeeded);

    // Drops every entry and pending image (device arrival, removal, a buffer wipe).
    void Forget();

private:
    struct SectorImage {
        int sector = 0;
        std::vector<uint8_t> bytes;
    };
    struct Entry {
        std::chrono::system_clock::time_point time;
        std::vector<SectorImage> images;  // ascending sector numbers
    };
    enum class JobKind {
        None,
        Write,        // erases are recorded
        Undo,         // the undo's own job: nothing is recorded
        NotUndoable,  // the history was emptied by this job; the rest of it is not recorded
    };

    void Push(Entry entry);
    void AddToJobEntry(int sector, std::vector<uint8_t> image);
    void GiveUpJob();
    bool QueueWrites(const Entry& entry);

    DataManager& m_dm;
    std::deque<Entry> m_entries;  // oldest first
    std::array<std::optional<std::vector<uint8_t>>, FlashControl::FM_SECTOR_NUM> m_pending;
    JobKind m_job = JobKind::None;
    bool m_jobHasEntry = false;
    // Set between queueing the undo's job and its start.
    bool m_undoQueued = false;
    // The entry the running undo job writes back.
    std::optional<Entry> m_undoing;
};

}  // namespace kelvadeck
