#pragma once

#include <cstdint>
#include <string>

#include "engine/ChannelList.h"
#include "platform/Mutex.h"

// The user's tuner channels: one line "<MHz>\t<name>" per channel, kept sorted
// (see ChannelList::Sort) and addressed by 0-based index into that order, and
// stored in the channel file.
//
// Frequencies given to SetChannel and FindChannel are in hertz when above
// 1,000,000 (truncated to whole megahertz), otherwise in megahertz.
//
// Thread safety: every operation takes the store's own lock through
// LockPumping, for the whole operation. The engine's lock, when held, comes
// first.
class ChannelStore {
public:
    // `channelFilePath` is the file Load reads and Save writes
    // (DataPaths::ChannelFile for the program's own list).
    explicit ChannelStore(std::string channelFilePath);
    ChannelStore(const ChannelStore&) = delete;
    ChannelStore& operator=(const ChannelStore&) = delete;
    virtual ~ChannelStore() = default;

    // Replaces the list by the channel file's lines, sorted. True when the
    // file was read completely; otherwise the list holds the lines read
    // before the failure (none for a missing file), sorted as well.
    bool Load();

    // Replaces the channel file by the list, atomically. False (and the
    // previous file intact) when it could not be written.
    bool Save();

    int GetCount() const;

    // Stores the channel at `frequency` (normalised as above) unless a line
    // with that frequency exists. With a `name` (nullptr = none), an existing
    // line is replaced; without one, it is kept and nothing changes. A new
    // line without a name gets "?". True when the list changed.
    bool SetChannel(uint32_t frequency, const char* name);

    // The first index whose frequency is `frequency` (normalised), or -1.
    int FindChannel(uint32_t frequency) const;

    // The frequency in MHz of the line at `index`: the decimal number before
    // its first tab. 0 for an index outside the list, a text that isn't a
    // number, or a value outside 0 ... kMaxFrequency_mhz.
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

    // The highest frequency that still fits the tuner's signed 32-bit hertz.
    static constexpr int kMaxFrequency_mhz = 2147;

private:
    int FrequencyAt(int index) const;
    int IndexOfFrequency(uint32_t frequency_mhz) const;

    mutable Mutex storeLock_{"ChannelStore", LockRank::kChannelStore};
    ChannelList lines_;
    const std::string channelFilePath_;
};
