#pragma once
// BTree: ordered map from K to V without duplicate keys, minimum degree 16 (nodes of at most
// 31 entries and 32 children). Grows only: there is no removal. Values are stored, not owned.
// Keys are ordered by Less (default: operator<); K and V are default-constructible values.

#include <cstddef>

#include "plugkit/core/memory.h"

namespace plugkit
{

struct BTreeDefaultLess
{
    template <class K>
    bool operator()(const K& a, const K& b) const
    {
        return a < b;
    }
};

template <class K, class V, class Less = BTreeDefaultLess>
class BTree
{
public:
    static constexpr int kMinDegree = 16;
    static constexpr int kMaxKeys = 2 * kMinDegree - 1;

    BTree() = default;
    BTree(const BTree&) = delete;
    BTree& operator=(const BTree&) = delete;
    ~BTree() { freeSubtree(root_); }

    // Returns false, leaving the stored value unchanged, if the key is already present.
    bool insert(const K& key, const V& value)
    {
        if (lookup(key) != nullptr)
            return false;
        if (root_ == nullptr)
            root_ = mallocNew<Node>();
        if (root_->numKeys == kMaxKeys)
        {
            Node* top = mallocNew<Node>();
            top->leaf = false;
            top->children[0] = root_;
            root_->parent = top;
            root_ = top;
            splitChild(top, 0);
        }
        insertNonFull(root_, key, value);
        ++count_;
        return true;
    }

    // The stored value for key, or null.
    V* lookup(const K& key)
    {
        for (Node* node = root_; node != nullptr;)
        {
            int i = lowerBound(node, key);
            if (i < node->numKeys && !less_(key, node->entries[i].key))
                return &node->entries[i].value;
            node = node->leaf ? nullptr : node->children[i];
        }
        return nullptr;
    }
    const V* lookup(const K& key) const { return const_cast<BTree*>(this)->lookup(key); }

    size_t length() const { return count_; }

    // Calls visit(key, value) for every entry in ascending key order.
    template <class F>
    void forEach(F&& visit) const
    {
        visitSubtree(root_, visit);
    }

private:
    struct Entry
    {
        K key{};
        V value{};
    };

    struct Node
    {
        bool leaf = true;
        int numKeys = 0;
        Entry entries[kMaxKeys];
        Node* parent = nullptr;
        Node* children[kMaxKeys + 1] = {};
    };

    // First entry whose key is not less than key.
    int lowerBound(const Node* node, const K& key) const
    {
        int lo = 0, hi = node->numKeys;
        while (lo < hi)
        {
            int mid = (lo + hi) / 2;
            if (less_(node->entries[mid].key, key))
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    // Splits the full child i of parent; its median entry moves up into parent.
    void splitChild(Node* parent, int i)
    {
        Node* left = parent->children[i];
        Node* right = mallocNew<Node>();
        right->leaf = left->leaf;
        right->parent = parent;
        right->numKeys = kMinDegree - 1;
        for (int j = 0; j < kMinDegree - 1; ++j)
            right->entries[j] = left->entries[j + kMinDegree];
        if (!left->leaf)
        {
            for (int j = 0; j < kMinDegree; ++j)
            {
                right->children[j] = left->children[j + kMinDegree];
                right->children[j]->parent = right;
                left->children[j + kMinDegree] = nullptr;
            }
        }
        left->numKeys = kMinDegree - 1;

        for (int j = parent->numKeys; j > i; --j)
        {
            parent->children[j + 1] = parent->children[j];
            parent->entries[j] = parent->entries[j - 1];
        }
        parent->children[i + 1] = right;
        parent->entries[i] = left->entries[kMinDegree - 1];
        ++parent->numKeys;
    }

    // Descends from a node that is not full, splitting full children before entering them.
    void insertNonFull(Node* node, const K& key, const V& value)
    {
        while (!node->leaf)
        {
            int i = lowerBound(node, key);
            if (node->children[i]->numKeys == kMaxKeys)
            {
                splitChild(node, i);
                if (less_(node->entries[i].key, key))
                    ++i;
            }
            node = node->children[i];
        }
        int i = lowerBound(node, key);
        for (int j = node->numKeys; j > i; --j)
            node->entries[j] = node->entries[j - 1];
        node->entries[i].key = key;
        node->entries[i].value = value;
        ++node->numKeys;
    }

    template <class F>
    static void visitSubtree(const Node* node, F& visit)
    {
        if (node == nullptr)
            return;
        for (int i = 0; i < node->numKeys; ++i)
        {
            if (!node->leaf)
                visitSubtree(node->children[i], visit);
            visit(node->entries[i].key, node->entries[i].value);
        }
        if (!node->leaf)
            visitSubtree(node->children[node->numKeys], visit);
    }

    static void freeSubtree(Node* node)
    {
        if (node == nullptr)
            return;
        if (!node->leaf)
            for (int i = 0; i <= node->numKeys; ++i)
                freeSubtree(node->children[i]);
        destroyFree(node);
    }

    Node* root_ = nullptr;
    size_t count_ = 0;
    [[no_unique_address]] Less less_{};
};

} // namespace plugkit
