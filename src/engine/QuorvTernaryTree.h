#pragma once

#include <cstdint>

// A ternary search tree mapping zero-terminated byte strings to data pointers,
// able to hand its entries back in key order. Key bytes compare as signed
// 8-bit values: 0x80-0xFF sort below the terminating 0, which sorts below
// 0x01-0x7F. The empty key is a valid key.
//
// Insert, Find, Traverse and Clear use loops and an explicit stack, not one
// call per key byte, so keys of any length are safe.
//
// Ownership: the tree owns its nodes, not the data; Clear (and the destructor)
// hand every stored data pointer to FreeData. During destruction the base
// class's FreeData applies, so a subclass that releases data itself must call
// Clear before it is destroyed (or from its own destructor).
//
// Thread safety: none; the user serialises access.
class QuorvTernaryTree {
public:
    struct Node {
        int8_t split = 0;      // the key byte this node tests; 0 ends a key
        Node* lo = nullptr;    // keys whose byte here is below split
        Node* eq = nullptr;    // keys continuing with the next byte (split != 0)
        Node* hi = nullptr;    // keys whose byte here is above split
        void* data = nullptr;  // the key's data (split == 0 only)
    };

    QuorvTernaryTree() = default;
    QuorvTernaryTree(const QuorvTernaryTree&) = delete;
    QuorvTernaryTree& operator=(const QuorvTernaryTree&) = delete;
    virtual ~QuorvTernaryTree();

    // Stores `key` with `data`, overwriting (without releasing) the data of a
    // key already stored. Null data is stored as the tree's own address, so a
    // stored key never has null data. Returns the root node.
    Node* Insert(const char* key, void* data);

    // The key's data, or null when the key isn't stored.
    void* Find(const char* key) const;

    // Calls Visit once per stored key, in ascending key order.
    void Traverse();

    // Releases all nodes, handing every stored data pointer to FreeData.
    void Clear();

    // Called by Traverse for each stored data pointer; does nothing here.
    virtual int Visit(void* data);
    // Called by Clear for each stored data pointer; does nothing here.
    virtual int FreeData(void* data);

    const Node* Root() const { return root_; }

private:
    Node* root_ = nullptr;
};
