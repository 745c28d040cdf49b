#include "engine/QuorvTernaryTree.h"

#include <vector>

namespace {

int8_t KeyByte(const char* key) {
    return static_cast<int8_t>(*key);
}

}  // namespace

QuorvTernaryTree::~QuorvTernaryTree() {
    Clear();
}

QuorvTernaryTree::Node* QuorvTernaryTree::Insert(const char* key, void* data) {
    Node** link = &root_;
    for (;;) {
        const int8_t byte = KeyByte(key);
        if (*link == nullptr) {
            *link = new Node;
            (*link)->split = byte;
        }
        Node* node = *link;
        if (byte < node->split) {
            link = &node->lo;
        } else if (byte > node->split) {
            link = &node->hi;
        } else if (byte == 0) {
            node->data = data != nullptr ? data : this;
            return root_;
        } else {
            link = &node->eq;
            ++key;
        }
    }
}

void* QuorvTernaryTree::Find(const char* key) const {
    const Node* node = root_;
    while (node != nullptr) {
        const int8_t byte = KeyByte(key);
        if (byte < node->split) {
            node = node->lo;
        } else if (byte > node->split) {
            node = node->hi;
        } else if (byte == 0) {
            return node->data != nullptr ? node->data : static_cast<void*>(root_);
        } else {
            node = node->eq;
            ++key;
        }
    }
    return nullptr;
}

// In-order walk with an explicit stack: a node's lo subtree, then the node
// (its eq subtree, or the visit of its data for an end node), then its hi
// subtree. hi is pushed before eq so that eq comes off the stack first.
void QuorvTernaryTree::Traverse() {
    struct Frame {
        Node* node;
        bool loDone;
    };
    std::vector<Frame> stack;
    if (root_ != nullptr) {
        stack.push_back({root_, false});
    }
    while (!stack.empty()) {
        Frame& top = stack.back();
        Node* node = top.node;
        if (!top.loDone) {
            top.loDone = true;
            if (node->lo != nullptr) {
                stack.push_back({node->lo, false});
            }
            continue;
        }
        stack.pop_back();
        if (node->hi != nullptr) {
            stack.push_back({node->hi, false});
        }
        if (node->split != 0) {
            if (node->eq != nullptr) {
                stack.push_back({node->eq, false});
            }
        } else if (node->data != nullptr) {
            Visit(node->data);
        }
    }
}

void QuorvTernaryTree::Clear() {
    std::vector<Node*> stack;
    if (root_ != nullptr) {
        stack.push_back(root_);
    }
    root_ = nullptr;
    while (!stack.empty()) {
        Node* node = stack.back();
        stack.pop_back();
        for (Node* child : {node->lo, node->eq, node->hi}) {
            if (child != nullptr) {
                stack.push_back(child);
            }
        }
        if (node->split == 0 && node->data != nullptr) {
            FreeData(node->data);
        }
        delete node;
    }
}

int QuorvTernaryTree::Visit(void*) {
    return 0;
}

int QuorvTernaryTree::FreeData(void*) {
    return 0;
}
