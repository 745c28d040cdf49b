#pragma once

#include <string>
#include <vector>

#include "engine/QuorvTernaryTree.h"

// The tree that sorts the channel lines: its data are heap copies of lines
// (std::string), which Visit appends to the target list and FreeData deletes.
//
// Ownership: the tree owns the copies given to Insert as data; Clear or the
// destructor deletes them.
class ChannelSortTree : public QuorvTernaryTree {
public:
    // `target` receives the visited lines and must outlive the tree.
    explicit ChannelSortTree(std::vector<std::string>& target) : target_(target) {}
    ~ChannelSortTree() override;

    // Stores a copy of `line` under its sort key, unless the key is already
    // stored (an identical line). `line` must not contain a zero byte.
    void AddLine(const std::string& line);

    // The key that orders a line: the line with A-Z lowered, followed by the
    // line itself, so the lowered text decides first and the exact bytes
    // second.
    static std::string SortKey(const std::string& line);

    int Visit(void* data) override;
    int FreeData(void* data) override;

private:
    std::vector<std::string>& target_;
};
