#include "engine/QuorvTernaryTree.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Records what the tree hands to Visit and FreeData; data are the addresses
// of strings owned by the test.
class RecordingTree : public QuorvTernaryTree {
public:
    ~RecordingTree() override { Clear(); }

    int Visit(void* data) override {
        visited.push_back(data);
        return 1;
    }
    int FreeData(void* data) override {
        freed.push_back(data);
        return 1;
    }

    std::vector<void*> visited;
    std::vector<void*> freed;
};

std::vector<std::string> VisitedTexts(const RecordingTree& tree) {
    std::vector<std::string> texts;
    for (void* data : tree.visited) {
        texts.push_back(*static_cast<std::string*>(data));
    }
    return texts;
}

std::vector<std::string> SortedThroughTree(std::vector<std::string> keys) {
    RecordingTree tree;
    for (std::string& key : keys) {
        tree.Insert(key.c_str(), &key);
    }
    tree.Traverse();
    return VisitedTexts(tree);
}

TEST(QuorvTernaryTreeTest, EmptyTreeFindsNothingVisitsNothingFreesNothing) {
    RecordingTree tree;
    EXPECT_EQ(tree.Find(""), nullptr);
    EXPECT_EQ(tree.Find("abc"), nullptr);
    tree.Traverse();
    tree.Clear();
    EXPECT_TRUE(tree.visited.empty());
    EXPECT_TRUE(tree.freed.empty());
}

TEST(QuorvTernaryTreeTest, VisitsInSignedByteOrder) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"b1", "a1", "B1",
          "\xE9"
          "1"},
         {"\xE9"
          "1",
          "B1", "a1", "b1"}},
        {{"keyA", "key"}, {"key", "keyA"}},
        {{"key", "key\xE9"}, {"key\xE9", "key"}},
        {{"", "a", "\x80"}, {"\x80", "", "a"}},
        {{"abc", "ab", "abd", "b", "a"}, {"a", "ab", "abc", "abd", "b"}},
    };
    for (const auto& [keys, expected] : cases) {
        EXPECT_EQ(SortedThroughTree(keys), expected);
    }
}

TEST(QuorvTernaryTreeTest, SecondInsertOfAKeyReplacesItsDataWithoutFreeingIt) {
    std::string first = "first";
    std::string second = "second";
    RecordingTree tree;
    tree.Insert("key", &first);
    tree.Insert("key", &second);
    EXPECT_EQ(tree.Find("key"), &second);
    EXPECT_TRUE(tree.freed.empty());
    tree.Traverse();
    EXPECT_EQ(tree.visited, std::vector<void*>{&second});
    tree.Clear();
    EXPECT_EQ(tree.freed, std::vector<void*>{&second});
    EXPECT_EQ(tree.Root(), nullptr);
    EXPECT_EQ(tree.Find("key"), nullptr);
}

TEST(QuorvTernaryTreeTest, FindDistinguishesPrefixesAndExtensions) {
    std::string data = "d";
    RecordingTree tree;
    tree.Insert("abc", &data);
    EXPECT_EQ(tree.Find("abc"), &data);
    EXPECT_EQ(tree.Find("ab"), nullptr);
    EXPECT_EQ(tree.Find("abcd"), nullptr);
    EXPECT_EQ(tree.Find("abd"), nullptr);
    EXPECT_EQ(tree.Find(""), nullptr);
}

TEST(QuorvTernaryTreeTest, EmptyKeyAndNullDataAreStored) {
    RecordingTree tree;
    const QuorvTernaryTree::Node* root = tree.Insert("", nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->split, 0);
    EXPECT_EQ(tree.Find(""), static_cast<void*>(&tree));
    tree.Insert("x", nullptr);
    EXPECT_EQ(tree.Find("x"), static_cast<void*>(&tree));
}

// One node per key byte: keys this long would overflow the stack if any of the
// operations recursed per byte.
TEST(QuorvTernaryTreeTest, VeryLongKeysAndChainsNeedNoRecursion) {
    const size_t length = 300'000;
    std::vector<std::string> keys = {std::string(length, 'a'), std::string(length, 'a') + "b"};
    for (int byte = 1; byte < 128; ++byte) {
        keys.push_back(std::string(1, static_cast<char>(byte)));
    }
    RecordingTree tree;
    for (std::string& key : keys) {
        tree.Insert(key.c_str(), &key);
    }
    EXPECT_EQ(tree.Find(keys[1].c_str()), &keys[1]);
    tree.Traverse();
    EXPECT_EQ(tree.visited.size(), keys.size());
    tree.Clear();
    EXPECT_EQ(tree.freed.size(), keys.size());
}

}  // namespace
