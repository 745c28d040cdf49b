#include "engine/ChannelStore.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>

#include "platform/LockPumping.h"
#include "platform/SingleLock.h"
#include "util/ArchiveReader.h"
#include "util/ArchiveWriter.h"
#include "platform/AtomicFile.h"
#include "util/ExtString.h"

namespace {

constexpr uint32_t kHertzAbove = 1'000'000;
constexpr int64_t kHertzPerMegahertz = 1'000'000;

uint32_t NormalisedMegahertz(uint32_t frequency) {
    return frequency > kHertzAbove ? frequency / kHertzAbove : frequency;
}

// Decimal text as the old string-to-number conversion read it (leading white
// space, a sign, digits up to the first non-digit), except that the value
// saturates instead of overflowing: any result beyond the tuner's range is
// the same "not a channel frequency".
int ParseMegahertz(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value =
            std::min<int64_t>(value * 10 + (text[i] - '0'), ChannelStore::kMaxFrequency_mhz + 1);
    }
    if (negative && value != 0) {
        return 0;
    }
    return value > ChannelStore::kMaxFrequency_mhz ? 0 : static_cast<int>(value);
}

}  // namespace

ChannelStore::ChannelStore(std::string channelFilePath)
    : channelFilePath_(std::move(channelFilePath)) {}

bool ChannelStore::Load() {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    lines_.RemoveAll();
    std::ifstream file(channelFilePath_, std::ios::binary);
    bool complete = false;
    if (file) {
        ArchiveReader archive(file);
        complete = lines_.Read(archive);
    }
    lines_.Sort();
    return complete;
}

bool ChannelStore::Save() {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    ArchiveWriter archive;
    lines_.Write(archive);
    return WriteFileAtomically(channelFilePath_, archive.Bytes());
}

int ChannelStore::GetCount() const {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    return lines_.GetSize();
}

bool ChannelStore::SetChannel(uint32_t frequency, const char* name) {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    const uint32_t frequency_mhz = NormalisedMegahertz(frequency);
    const int index = IndexOfFrequency(frequency_mhz);
    if (index >= 0 && name == nullptr) {
        return false;
    }
    if (index >= 0) {
        lines_.RemoveAt(index);
    }
    lines_.Add(std::to_string(frequency_mhz) + '\t' + (name != nullptr ? name : "?"));
    lines_.Sort();
    return true;
}

int ChannelStore::FindChannel(uint32_t frequency) const {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    return IndexOfFrequency(NormalisedMegahertz(frequency));
}

int ChannelStore::GetChannelFrequency(int index) const {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    return FrequencyAt(index);
}

std::string ChannelStore::GetChannelName(int index) const {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    if (index < 0 || index >= lines_.GetSize()) {
        return std::string();
    }
    const std::string& line = lines_.GetAt(index);
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) {
        return std::string();
    }
    return line.substr(tab + 1, line.find('\t', tab + 1) - (tab + 1));
}

std::string ChannelStore::GetFrequencyText(int index) const {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    const int64_t frequency_hz = FrequencyAt(index) * kHertzPerMegahertz;
    return ExtString().FormatNumber(static_cast<uint64_t>(frequency_hz)).Text();
}

void ChannelStore::RenameChannel(int index, const char* name) {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    SetChannel(static_cast<uint32_t>(FrequencyAt(index)), name);
}

void ChannelStore::SortChannels() {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    lines_.Sort();
}

int ChannelStore::FrequencyAt(int index) const {
    if (index < 0 || index >= lines_.GetSize()) {
        return 0;
    }
    const std::string& line = lines_.GetAt(index);
    return ParseMegahertz(std::string_view(line).substr(0, line.find('\t')));
}

int ChannelStore::IndexOfFrequency(uint32_t frequency_mhz) const {
    for (int i = 0; i < lines_.GetSize(); ++i) {
        if (static_cast<uint32_t>(FrequencyAt(i)) == frequency_mhz) {
            return i;
        }
    }
    return -1;
}
