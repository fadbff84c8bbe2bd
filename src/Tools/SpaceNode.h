#pragma once

#include "Core/Progress.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>
#include <string_view>
#include <vector>

class SpaceTree;

// One file or folder of a disk-map measurement. Nodes live inside the SpaceTree that built them and are never
// changed once it is handed over; their addresses stay valid for as long as the tree lives. A node's name is kept
// right behind it, in the bytes the file system gave it (UTF-8, ended by a 0), and made a string only when asked
// for; a folder's list of children follows its name. The node itself is three words: its kind rides in the low
// bits of its parent's address, which alignment leaves free.
class SpaceNode final
{
public:
    // A new number for every node built in this process: measuring the same folder twice gives new ids.
    quint64 id() const { return m_id; }
    // The last path component; for the root of a measurement, the path when that component is empty ("/").
    QString name() const;
    // The absolute path, built from the parent chain.
    QString url() const;
    // A folder that is not a package; always true for the root.
    bool isDirectory() const { return (m_parentAndKind & kDirectory) != 0; }
    // On-disk (allocated) bytes.
    qint64 size() const { return m_size; }
    // Contents of size above 0, largest first; equal sizes in listing order.
    std::span<const SpaceNode* const> children() const;
    const SpaceNode* parent() const
    {
        return reinterpret_cast<const SpaceNode*>(m_parentAndKind & ~std::uintptr_t(kKindBits));
    }

private:
    friend class SpaceTree;
    friend class SpaceTreeBuilder;
    SpaceNode() = default;

    static constexpr std::uintptr_t kDirectory = 1;
    static constexpr std::uintptr_t kHasChildren = 2;
    static constexpr std::uintptr_t kKindBits = kDirectory | kHasChildren;

    // The stored name: the root keeps its whole path here.
    std::string_view storedName() const { return reinterpret_cast<const char*>(this + 1); }
    // Where a node's child list starts, from the node's first byte: the child count, then the children, at the first
    // place after a name of `nameLength` bytes and its ending 0 that is aligned for them (the node itself is).
    static constexpr std::size_t childListOffset(std::size_t nameLength)
    {
        constexpr std::size_t align = alignof(const SpaceNode*);
        return (sizeof(SpaceNode) + nameLength + 1 + align - 1) / align * align;
    }
    void setParent(const SpaceNode* parent)
    {
        m_parentAndKind = reinterpret_cast<std::uintptr_t>(parent) | (m_parentAndKind & kKindBits);
    }

    quint64 m_id = 0;
    qint64 m_size = 0;
    std::uintptr_t m_parentAndKind = 0;
};

// Every node of one measurement, with their names and child lists, in a few large blocks: dropping the tree frees
// the whole measurement at once.
class SpaceTree final
{
public:
    // Measures the folder at `url` down to `depth` levels (the disk map uses 4): each top-level entry is built
    // at depth − 1, its folders at depth − 2 and so on; a folder reached at depth 0 and a package are measured
    // whole, without children. Links count nothing and get no node; a file with several names (hard links) counts
    // once in the whole measurement, at the first of its paths met, as `du` counts it; entries of size 0 are not
    // kept; folders that cannot be read are missing. Reports (i / n, name) before the i-th of the n top-level entries,
    // then (1.0, ""), also after a stop. A stop (checked between entries) returns what was built so far, sorted. The
    // folders below each top-level entry are listed on the platform's walk pool; the call returns when the whole tree
    // is built.
    static std::shared_ptr<SpaceTree> measure(const QString& url, int depth, const Progress& progress = {},
                                              std::stop_token stop = {});

    ~SpaceTree();
    SpaceTree(const SpaceTree&) = delete;
    SpaceTree& operator=(const SpaceTree&) = delete;

    const SpaceNode* root() const { return m_root; }
    // The measured folder, absolute and cleaned.
    const QString& rootPath() const { return m_rootPath; }
    // Nodes held, the root included.
    qsizetype nodeCount() const { return m_nodeCount; }

private:
    friend class SpaceNode;
    friend class SpaceTreeBuilder;
    SpaceTree() = default;

    void* allocate(std::size_t bytes, std::size_t alignment);
    // A node, its name and, sorted largest first, its children, which it becomes the parent of.
    SpaceNode* newNode(std::string_view name, bool isDirectory, qint64 size,
                       std::vector<const SpaceNode*>* children = nullptr);

    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::byte* m_cursor = nullptr;
    std::size_t m_left = 0;
    const SpaceNode* m_root = nullptr;
    QString m_rootPath;
    qsizetype m_nodeCount = 0;
};
