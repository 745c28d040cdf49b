#include "engine/ChannelStore.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string_view>

#include "platform/AtomicFile.h"
#include "platform/LockFile.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"
#include "util/ArchiveReader.h"
#include "util/ArchiveWriter.h"
#include "util/ExtString.h"

namespace {

constexpr uint32_t kHertzAbove = 1'000'000;
constexpr int64_t kHertzPerMegahertz = 1'000'000;
// A file replaced while it was being read is read again, this often at most.
constexpr int kReadAttempts = 3;

uint32_t NormalisedMegahertz(uint32_t frequency) {
    return frequency > kHertzAbove ? frequency / kHertzAbove : frequency;
}

// The number before the tab as the old string-to-number conversion read it
// (leading white space, a sign, digits up to the first non-digit), saturated
// just past the tuner's range; nothing without digits.
std::optional<int64_t> LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    if (i == text.size() || text[i] < '0' || text[i] > '9') {
        return std::nullopt;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value =
            std::min<int64_t>(value * 10 + (text[i] - '0'), ChannelStore::kMaxFrequency_mhz + 1);
    }
    return negative ? -value : value;
}

std::string_view FrequencyText(const std::string& line) {
    return std::string_view(line).substr(0, line.find('\t'));
}

// A line whose frequency is no number reads as 0 MHz, as it always did; a
// number the tuner's hertz can't hold would read as 0 too, and a rename or a
// second addition would then turn it into a real 0 MHz line.
bool FrequencyFits(const std::string& line) {
    const std::optional<int64_t> number = LeadingNumber(FrequencyText(line));
    return !number || (*number >= 0 && *number <= ChannelStore::kMaxFrequency_mhz);
}

int MegahertzOf(const std::string& line) {
    const std::optional<int64_t> number = LeadingNumber(FrequencyText(line));
    return number && FrequencyFits(line) ? static_cast<int>(*number) : 0;
}

struct FileContent {
    ChannelList lines;
    bool complete = false;
    std::optional<FileStamp> stamp;
};

// The stamp is taken before and after reading: when both agree, the lines
// are that version's (a save by another copy replaces the file, which
// changes the stamp).
FileContent ReadChannelFile(const std::string& path) {
    FileContent content;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        content = FileContent();
        content.stamp = FileStamp::Of(path);
        std::ifstream file(path, std::ios::binary);
        if (file) {
            ArchiveReader archive(file);
            content.complete = content.lines.Read(archive);
        }
        if (FileStamp::Of(path) == content.stamp) {
            break;
        }
    }
    for (int i = content.lines.GetSize() - 1; i >= 0; --i) {
        if (!FrequencyFits(content.lines.GetAt(i))) {
            content.lines.RemoveAt(i);
            content.complete = false;
        }
    }
    content.lines.Sort();
    return content;
}

using LinesByFrequency = std::map<int, std::vector<std::string>>;

LinesByFrequency ByFrequency(const std::vector<std::string>& lines) {
    LinesByFrequency grouped;
    for (const std::string& line : lines) {
        grouped[MegahertzOf(line)].push_back(line);
    }
    return grouped;
}

// The frequencies whose lines `ours` changed against `base` take our lines;
// every other frequency keeps the lines `theirs` has now. Nothing when the
// result does not fit one list.
std::optional<ChannelList> Merge(const std::vector<std::string>& base,
                                 const std::vector<std::string>& ours,
                                 const std::vector<std::string>& theirs) {
    const LinesByFrequency baseLines = ByFrequency(base);
    const LinesByFrequency ourLines = ByFrequency(ours);
    auto changedByUs = [&](int frequency) {
        const auto inBase = baseLines.find(frequency);
        const auto inOurs = ourLines.find(frequency);
        const bool wasThere = inBase != baseLines.end();
        const bool isThere = inOurs != ourLines.end();
        return wasThere != isThere || (wasThere && inBase->second != inOurs->second);
    };
    ChannelList merged;
    auto add = [&merged](const std::string& line) {
        if (!merged.CanAdd(line)) {
            return false;
        }
        merged.Add(line);
        return true;
    };
    for (const std::string& line : theirs) {
        if (!changedByUs(MegahertzOf(line)) && !add(line)) {
            return std::nullopt;
        }
    }
    for (const std::string& line : ours) {
        if (changedByUs(MegahertzOf(line)) && !add(line)) {
            return std::nullopt;
        }
    }
    merged.Sort();
    return merged;
}

}  // namespace

ChannelStore::ChannelStore(std::string channelFilePath)
    : channelFilePath_(std::move(channelFilePath)) {}

bool ChannelStore::Load() {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    FileContent content = ReadChannelFile(channelFilePath_);
    lines_.RemoveAll();
    for (const std::string& line : content.lines.Lines()) {
        lines_.Add(line);
    }
    baseline_ = Version{lines_.Lines(), content.stamp};
    return content.complete;
}

// The lock file lies beside the file the link names, so copies that reach
// it through different links still exclude each other.
bool ChannelStore::Save() {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    const std::string target = ResolveFileLinks(channelFilePath_);
    const LockFile fileLock(target + ".lock", kLockWait_ms);
    if (!fileLock.IsHeld()) {
        return Refuse(fileLock.Error() == EWOULDBLOCK
                          ? "another copy of the program kept it locked"
                          : std::string("can't lock it: ") + std::strerror(fileLock.Error()));
    }
    if (!baseline_ || FileStamp::Of(target) == baseline_->stamp) {
        return WriteLocked(target);
    }
    FileContent present = ReadChannelFile(target);
    if (present.stamp && !present.complete) {
        return Refuse(
            "another program changed it into a file that can't be read completely; it is kept "
            "as it is and the changes made here are not saved");
    }
    if (lines_.Lines() == baseline_->lines) {
        lines_ = std::move(present.lines);
        baseline_ = Version{lines_.Lines(), present.stamp};
        saveProblem_.clear();
        return true;
    }
    std::optional<ChannelList> merged =
        Merge(baseline_->lines, lines_.Lines(), present.lines.Lines());
    if (!merged) {
        return Refuse(
            "the changes made here and the ones saved meanwhile don't fit in one list; the file "
            "is kept as it is");
    }
    lines_ = std::move(*merged);
    return WriteLocked(target);
}

bool ChannelStore::WriteLocked(const std::string& target) {
    ArchiveWriter archive;
    lines_.Write(archive);
    if (!WriteFileAtomically(target, archive.Bytes())) {
        return Refuse(std::strerror(errno));
    }
    baseline_ = Version{lines_.Lines(), FileStamp::Of(target)};
    saveProblem_.clear();
    return true;
}

bool ChannelStore::Refuse(const std::string& problem) {
    saveProblem_ = problem;
    std::fprintf(stderr, "quorvtv: the channel list was not saved to '%s': %s\n",
                 channelFilePath_.c_str(), problem.c_str());
    return false;
}

std::string ChannelStore::SaveProblem() const {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    return saveProblem_;
}

bool ChannelStore::HasChanges() const {
    SingleLock lock(storeLock_);
    LockPumping(lock);
    return baseline_ ? lines_.Lines() != baseline_->lines : lines_.GetSize() > 0;
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
    if (frequency_mhz > static_cast<uint32_t>(kMaxFrequency_mhz)) {
        return false;
    }
    const int index = IndexOfFrequency(frequency_mhz);
    if (index >= 0 && name == nullptr) {
        return false;
    }
    const std::string line = std::to_string(frequency_mhz) + '\t' + (name != nullptr ? name : "?");
    if (index >= 0) {
        const std::string replaced = lines_.GetAt(index);
        lines_.RemoveAt(index);
        if (!lines_.CanAdd(line)) {
            lines_.Add(replaced);
            lines_.Sort();
            return false;
        }
    } else if (!lines_.CanAdd(line)) {
        return false;
    }
    lines_.Add(line);
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
    return MegahertzOf(lines_.GetAt(index));
}

int ChannelStore::IndexOfFrequency(uint32_t frequency_mhz) const {
    for (int i = 0; i < lines_.GetSize(); ++i) {
        if (static_cast<uint32_t>(FrequencyAt(i)) == frequency_mhz) {
            return i;
        }
    }
    return -1;
}
