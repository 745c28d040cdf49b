#include "engine/ChannelList.h"

#include <algorithm>
#include <cstdint>

#include "engine/ChannelSortTree.h"
#include "util/ArchiveReader.h"
#include "util/ArchiveWriter.h"

bool ChannelList::CanAdd(const std::string& line) const {
    size_t held = 0;
    for (const std::string& kept : lines_) {
        held += kept.size() + 1;
    }
    return line.find('\0') == std::string::npos && line.size() <= kMaxLineBytes &&
           held + line.size() + 1 <= kMaxListBytes;
}

void ChannelList::Add(std::string line) {
    lines_.push_back(std::move(line));
}

void ChannelList::RemoveAt(int index) {
    lines_.erase(lines_.begin() + index);
}

void ChannelList::RemoveAll() {
    std::vector<std::string>().swap(lines_);
}

// Lines go into the tree from the last to the first, so among identical lines
// the last one's copy is kept (they are equal anyway).
void ChannelList::Sort() {
    std::vector<std::string> sorted;
    {
        ChannelSortTree sortTree(sorted);
        for (auto line = lines_.rbegin(); line != lines_.rend(); ++line) {
            sortTree.AddLine(*line);
        }
        sortTree.Traverse();
    }
    lines_ = std::move(sorted);
}

// A zero byte would cut the line's sort key short, so two different lines
// could collapse into one; such a line is dropped rather than kept
// half-visible.
bool ChannelList::Read(ArchiveReader& archive) {
    uint32_t count = 0;
    if (!archive.ReadUint32(count)) {
        return false;
    }
    bool complete = true;
    size_t budget = kMaxListBytes;
    for (uint32_t i = 0; i < count; ++i) {
        std::string line;
        if (budget == 0 || !archive.ReadString(line, std::min(kMaxLineBytes, budget - 1))) {
            return false;
        }
        budget -= line.size() + 1;
        if (line.find('\0') != std::string::npos) {
            complete = false;
            continue;
        }
        lines_.push_back(std::move(line));
    }
    return complete;
}

void ChannelList::Write(ArchiveWriter& archive) const {
    archive.WriteUint32(static_cast<uint32_t>(lines_.size()));
    for (const std::string& line : lines_) {
        archive.WriteString(line);
    }
}
