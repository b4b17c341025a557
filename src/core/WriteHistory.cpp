#include "core/WriteHistory.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"

namespace kelvadeck {

namespace {

using F = FlashControl;

constexpr int kSettingsSector = 0;
constexpr int kDirectorySector = 1;

bool IsSector(int sector) { return sector >= 0 && sector < static_cast<int>(F::FM_SECTOR_NUM); }

}  // namespace

bool WriteHistory::Change::Settings() const {
    return std::find(sectors.begin(), sectors.end(), kSettingsSector) != sectors.end();
}

bool WriteHistory::Change::ScriptDirectory() const {
    return std::find(sectors.begin(), sectors.end(), kDirectorySector) != sectors.end();
}

std::vector<int> WriteHistory::Change::ScriptSectors() const {
    std::vector<int> out;
    std::copy_if(sectors.begin(), sectors.end(), std::back_inserter(out), [](int s) { return s > kDirectorySector; });
    return out;
}

WriteHistory::WriteHistory(DataManager& dm) : m_dm(dm) {}

bool WriteHistory::CanUndo() const {
    if (m_entries.empty() || !m_dm.IsInitialized()) return false;
    const USBHidManager& hid = m_dm.pUSBHID();
    return hid.bConnected() && !hid.IsJobRunning();
}

std::optional<WriteHistory::Change> WriteHistory::NewestChange() const {
    if (m_entries.empty()) return std::nullopt;
    const Entry& newest = m_entries.back();
    Change change{newest.time, {}};
    for (const SectorImage& image : newest.images) change.sectors.push_back(image.sector);
    return change;
}

const std::vector<uint8_t>* WriteHistory::NewestBeforeImage(int sector) const {
    if (m_entries.empty()) return nullptr;
    for (const SectorImage& image : m_entries.back().images) {
        if (image.sector == sector) return &image.bytes;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Before-images

void WriteHistory::BeforeEncode(int sector) {
    if (!IsSector(sector) || m_pending[static_cast<size_t>(sector)] || !m_dm.SectorReadFlag(sector)) return;
    const uint8_t* buffer = m_dm.SectorBuffer(sector);
    m_pending[static_cast<size_t>(sector)].emplace(buffer, buffer + F::FM_SECTOR_SIZE);
}

void WriteHistory::SectorReadFromDevice(int sector) {
    if (IsSector(sector)) m_pending[static_cast<size_t>(sector)].reset();
}

bool WriteHistory::HasPendingImage(int sector) const {
    return IsSector(sector) && m_pending[static_cast<size_t>(sector)].has_value();
}

// ---------------------------------------------------------------------------
// Job hooks

void WriteHistory::JobStarted() {
    m_job = m_undoQueued ? JobKind::Undo : JobKind::Write;
    m_undoQueued = false;
    m_jobHasEntry = false;
}

void WriteHistory::EraseSent(int sector) {
    if (!IsSector(sector)) return;
    std::optional<std::vector<uint8_t>>& pending = m_pending[static_cast<size_t>(sector)];
    if (m_job == JobKind::None) m_job = JobKind::Write;  // an erase sent outside StartCom still changes the device
    if (m_job != JobKind::Write) {
        // The undo writes back its own images; after an emptied history nothing
        // of the job is kept. Either way the device no longer holds the image.
        pending.reset();
        return;
    }
    const std::vector<ComQue::Block> writes = m_dm.pComQue().QueuedWritesInto(sector);
    if (writes.empty()) {
        m_dm.Log().Write("WriteHistory : sector " + std::to_string(sector) + " erased without being written back, history emptied");
        GiveUpJob();
        return;
    }
    if (pending) {
        std::vector<uint8_t> image = std::move(*pending);
        pending.reset();
        // Writing back the very bytes the device holds changes nothing. Only
        // the written ranges count: the encoders also fill bytes the jobs
        // never transfer (the settings sector's fourth dial macro record).
        const uint8_t* buffer = m_dm.SectorBuffer(sector);
        const bool changes = std::any_of(writes.begin(), writes.end(), [&](const ComQue::Block& w) {
            return !std::equal(image.begin() + w.addr, image.begin() + w.addr + w.size, buffer + w.addr);
        });
        if (changes) AddToJobEntry(sector, std::move(image));
        return;
    }
    if (!m_dm.SectorReadFlag(sector)) {
        // What the device held there was never read: this change cannot be
        // undone, and older entries must not skip over it.
        m_dm.Log().Write("WriteHistory : sector " + std::to_string(sector) + " rewritten unread, history emptied");
        GiveUpJob();
    }
    // Otherwise no encoder touched the buffer since the device's bytes came
    // in: the job writes back what the device holds.
}

void WriteHistory::WholeImageWriteSent() {
    // A restore replaces every sector, read or not; sector images cannot undo it.
    if (m_job != JobKind::NotUndoable) m_dm.Log().Write("WriteHistory : whole flash rewritten, history emptied");
    GiveUpJob();
}

void WriteHistory::JobEnded(bool succeeded) {
    if (m_job == JobKind::Undo && m_undoing) {
        if (!succeeded) Push(std::move(*m_undoing));
        m_undoing.reset();
    }
    m_job = JobKind::None;
    m_jobHasEntry = false;
}

void WriteHistory::Forget() {
    m_entries.clear();
    for (auto& image : m_pending) image.reset();
    m_undoing.reset();
    m_undoQueued = false;
    m_jobHasEntry = false;
    if (m_job != JobKind::None) m_job = JobKind::NotUndoable;
}

void WriteHistory::GiveUpJob() {
    Forget();
    m_job = JobKind::NotUndoable;
}

void WriteHistory::Push(Entry entry) {
    m_entries.push_back(std::move(entry));
    while (m_entries.size() > MAX_ENTRIES) m_entries.pop_front();
}

void WriteHistory::AddToJobEntry(int sector, std::vector<uint8_t> image) {
    if (!m_jobHasEntry) {
        Push(Entry{std::chrono::system_clock::now(), {}});
        m_jobHasEntry = true;
    }
    std::vector<SectorImage>& images = m_entries.back().images;
    const auto at = std::find_if(images.begin(), images.end(), [&](const SectorImage& i) { return i.sector >= sector; });
    if (at != images.end() && at->sector == sector) return;  // the first erase of the job holds the device's bytes
    images.insert(at, SectorImage{sector, std::move(image)});
}

// ---------------------------------------------------------------------------
// Undo

bool WriteHistory::StartUndoLastChange() {
    if (!CanUndo() || !m_dm.bDataInitialize()) return false;
    ComQue& que = m_dm.pComQue();
    if (que.HasQue() || que.IsCurrentQue()) return false;  // would run in the undo's job

    Entry entry = std::move(m_entries.back());
    m_entries.pop_back();
    for (const SectorImage& image : entry.images) {
        // Should the job fail before this sector's erase, the device still
        // holds what the buffer holds now.
        BeforeEncode(image.sector);
        std::copy(image.bytes.begin(), image.bytes.end(), m_dm.SectorBuffer(image.sector));
        // The buffer holds whole device bytes again, read or not since.
        m_dm.SetSectorReadFlag(image.sector, true);
    }
    // The model follows the restored bytes; the live updates are built from it.
    m_dm.DataInitializeFromMemory();
    for (int sector = 2; sector < static_cast<int>(F::FM_SECTOR_NUM); ++sector) {
        if (m_dm.SectorReadFlag(sector)) m_dm.SetScriptDataFromFlashSector(sector);
    }
    if (!QueueWrites(entry)) {
        que.Reset();
        Push(std::move(entry));
        return false;
    }
    m_undoing = std::move(entry);
    m_undoQueued = true;
    if (!m_dm.pUSBHID().StartCom()) {
        // Only a device that went away refuses the start, and its removal has
        // emptied the history already; the entry comes back otherwise.
        m_undoQueued = false;
        que.Reset();
        if (m_undoing) Push(std::move(*m_undoing));
        m_undoing.reset();
        return false;
    }
    return true;
}

bool WriteHistory::QueueWrites(const Entry& entry) {
    ComQue& que = m_dm.pComQue();
    bool ok = true;
    for (const SectorImage& image : entry.images) {
        if (image.sector == kSettingsSector) {
            ok = que.CreateAllSettingsWriteComQue() && ok;
        } else if (image.sector == kDirectorySector) {
            ok = que.CreateScriptInfoComQue() && ok;
        } else {
            ok = que.SetDeleteComQue(image.sector) && ok;
            ok = que.CreateWriteSectorComQue(image.sector) && ok;
        }
    }
    return ok;
}

}  // namespace kelvadeck
