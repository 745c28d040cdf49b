#include "engine/ChannelSortTree.h"

// The base destructor would release the lines with its own FreeData, which
// does nothing; clearing here deletes them with this class's.
ChannelSortTree::~ChannelSortTree() {
    Clear();
}

void ChannelSortTree::AddLine(const std::string& line) {
    const std::string key = SortKey(line);
    if (Find(key.c_str()) == nullptr) {
        Insert(key.c_str(), new std::string(line));
    }
}

std::string ChannelSortTree::SortKey(const std::string& line) {
    std::string key;
    key.reserve(2 * line.size());
    for (const char c : line) {
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    key += line;
    return key;
}

int ChannelSortTree::Visit(void* data) {
    target_.push_back(*static_cast<const std::string*>(data));
    return 1;
}

int ChannelSortTree::FreeData(void* data) {
    delete static_cast<std::string*>(data);
    return 1;
}
