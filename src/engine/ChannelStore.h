#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/ChannelList.h"
#include "platform/FileStamp.h"
#include "platform/Mutex.h"

// The user's tuner channels: one line "<MHz>\t<name>" per channel, kept sorted
// (see ChannelList::Sort) and addressed by 0-based index into that order, and
// stored in the channel file.
//
// Frequencies given to SetChannel and FindChannel are in hertz when above
// 1,000,000 (truncated to whole megahertz), otherwise in megahertz. A channel
// must fit the tuner's signed 32-bit hertz: 0 ... kMaxFrequency_mhz.
//
// Several stores may work on one file, in this process (the engine's and the
// Channels dialog's) or in other copies of the program. Save writes only over
// the version of the file this store loaded; when another store saved
// meanwhile, this store's changes are merged into what that one saved.
// Saves are serialised between all of them by a lock file beside the file.
//
// Thread safety: every operation takes the store's own lock through
// LockPumping, for the whole operation. The engine's lock, when held, comes
// first.
class ChannelStore {
public:
    // The highest frequency that still fits the tuner's signed 32-bit hertz.
    static constexpr int kMaxFrequency_mhz = 2147;
    // How long Save waits for another copy's save to finish.
    static constexpr uint32_t kLockWait_ms = 5000;

    // `channelFilePath` is the file Load reads and Save writes
    // (DataPaths::ChannelFile for the program's own list).
    explicit ChannelStore(std::string channelFilePath);
    ChannelStore(const ChannelStore&) = delete;
    ChannelStore& operator=(const ChannelStore&) = delete;
    virtual ~ChannelStore() = default;

    // Replaces the list by the channel file's lines, sorted, and remembers
    // them as the version loaded. True when the file was read completely;
    // otherwise the list holds the lines read before the failure (none for a
    // missing file), sorted as well. A line whose frequency is a number
    // outside 0 ... kMaxFrequency_mhz is left out, which makes the load
    // incomplete.
    bool Load();

    // Replaces the channel file by the list, atomically, through a symbolic
    // link to it. When the file is no longer the version last loaded or saved
    // by this store, the frequencies this store changed since are merged into
    // the file's present lines (this store's version of them wins) and the
    // list becomes the merge; a file that then can't be read completely is
    // kept. False (the file as it was, the reason in SaveProblem and on
    // standard error) when it could not be written or was kept.
    bool Save();

    // Why the last Save failed; empty after a successful one.
    std::string SaveProblem() const;

    // The list differs from the version last loaded or saved (or, for a store
    // never loaded, holds anything).
    bool HasChanges() const;

    int GetCount() const;

    // Stores the channel at `frequency` (normalised as above) unless a line
    // with that frequency exists. With a `name` (nullptr = none), an existing
    // line is replaced; without one, it is kept and nothing changes. A new
    // line without a name gets "?". A frequency above kMaxFrequency_mhz, or a
    // line the list has no room for (ChannelList::CanAdd), changes nothing.
    // True when the list changed.
    bool SetChannel(uint32_t frequency, const char* name);

    // The first index whose frequency is `frequency` (normalised), or -1.
    int FindChannel(uint32_t frequency) const;

    // The frequency in MHz of the line at `index`: the decimal number before
    // its first tab. 0 for an index outside the list or a text that isn't a
    // number.
    int GetChannelFrequency(int index) const;

    // The text after the first tab, up to a second tab; empty for an index
    // outside the list or a line without a tab.
    std::string GetChannelName(int index) const;

    // The frequency in hertz with thousands separators ("471,000,000").
    std::string GetFrequencyText(int index) const;

    // SetChannel(GetChannelFrequency(index), name).
    void RenameChannel(int index, const char* name);

    void SortChannels();

    const std::string& ChannelFilePath() const { return channelFilePath_; }

private:
    // A version of the channel file: its lines, sorted, and its stamp
    // (nothing when there was no file).
    struct Version {
        std::vector<std::string> lines;
        std::optional<FileStamp> stamp;
    };

    int FrequencyAt(int index) const;
    int IndexOfFrequency(uint32_t frequency_mhz) const;
    bool WriteLocked(const std::string& target);
    bool Refuse(const std::string& problem);

    mutable Mutex storeLock_{"ChannelStore", LockRank::kChannelStore};
    ChannelList lines_;
    const std::string channelFilePath_;
    std::optional<Version> baseline_;
    std::string saveProblem_;
};
