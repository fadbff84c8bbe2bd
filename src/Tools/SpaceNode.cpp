#include "Tools/SpaceNode.h"

#include "Platform/FileSystem.h"
#include "Platform/FolderSize.h"
#include "Platform/SystemRoot.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include <QFile>

#include <malloc.h>

using namespace Qt::StringLiterals;

namespace {

constexpr std::size_t kBlockBytes = 256 * 1024;

std::atomic<quint64> g_nextID{1};

quint64 newID()
{
    return g_nextID.fetch_add(1, std::memory_order_relaxed);
}

// Largest first; a stable sort keeps equal sizes in listing order.
void sortBySize(std::vector<const SpaceNode*>& nodes)
{
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const SpaceNode* a, const SpaceNode* b) { return a->size() > b->size(); });
}

} // namespace

namespace {

QString decoded(std::string_view bytes)
{
    return QFile::decodeName(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
}

} // namespace

std::span<const SpaceNode* const> SpaceNode::children() const
{
    if ((m_parentAndKind & kHasChildren) == 0)
        return {};
    const auto* list = reinterpret_cast<const std::byte*>(this) + childListOffset(storedName().size());
    const auto count = std::size_t(*reinterpret_cast<const std::uintptr_t*>(list));
    return {reinterpret_cast<const SpaceNode* const*>(list) + 1, count};
}

QString SpaceNode::name() const
{
    const std::string_view stored = storedName();
    if (parent())
        return decoded(stored);
    const std::size_t slash = stored.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? stored : stored.substr(slash + 1);
    return decoded(last.empty() ? stored : last);
}

QString SpaceNode::url() const
{
    if (!parent())
        return decoded(storedName());
    std::vector<const SpaceNode*> chain;
    for (const SpaceNode* node = this; node->parent(); node = node->parent())
        chain.push_back(node);
    const std::string_view rootPath = chain.back()->parent()->storedName();
    QByteArray path(rootPath.data(), qsizetype(rootPath.size()));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.endsWith('/'))
            path += '/';
        const std::string_view name = (*it)->storedName();
        path.append(name.data(), qsizetype(name.size()));
    }
    return QFile::decodeName(path);
}

SpaceTree::~SpaceTree() = default;

void* SpaceTree::allocate(std::size_t bytes, std::size_t alignment)
{
    auto misalignment = [&] { return reinterpret_cast<std::uintptr_t>(m_cursor) % alignment; };
    std::size_t pad = m_cursor ? (alignment - misalignment()) % alignment : 0;
    if (!m_cursor || m_left < bytes + pad) {
        const std::size_t size = std::max(kBlockBytes, bytes + alignment);
        m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
        m_cursor = m_blocks.back().get();
        m_left = size;
        pad = (alignment - misalignment()) % alignment;
    }
    std::byte* place = m_cursor + pad;
    m_cursor = place + bytes;
    m_left -= bytes + pad;
    return place;
}

SpaceNode* SpaceTree::newNode(std::string_view name, bool isDirectory, qint64 size,
                              std::vector<const SpaceNode*>* children)
{
    static_assert(alignof(SpaceNode) > SpaceNode::kKindBits, "the kind bits need the parent's alignment");
    // A name cannot hold a 0 byte; one would end the stored name there.
    const std::size_t length = std::min(name.size(), name.find('\0'));
    const std::size_t count = children ? children->size() : 0;
    // The name's bytes and their ending 0 follow the node in the same block, then the child count and list at the
    // next place aligned for them; the next node starts at the next aligned place.
    const std::size_t listOffset = count == 0 ? 0 : SpaceNode::childListOffset(length);
    const std::size_t bytes =
        count == 0 ? sizeof(SpaceNode) + length + 1 : listOffset + (count + 1) * sizeof(const SpaceNode*);
    void* place = allocate(bytes, alignof(SpaceNode));
    auto* node = new (place) SpaceNode();
    node->m_id = newID();
    node->m_size = size;
    node->m_parentAndKind = isDirectory ? SpaceNode::kDirectory : 0;
    auto* stored = reinterpret_cast<char*>(node + 1);
    std::memcpy(stored, name.data(), length);
    stored[length] = '\0';
    if (count > 0) {
        sortBySize(*children);
        auto* list = reinterpret_cast<const SpaceNode**>(static_cast<std::byte*>(place) + listOffset);
        *reinterpret_cast<std::uintptr_t*>(list) = count;
        for (std::size_t i = 0; i < count; ++i) {
            list[i + 1] = (*children)[i];
            const_cast<SpaceNode*>(list[i + 1])->setParent(node);
        }
        node->m_parentAndKind |= SpaceNode::kHasChildren;
    }
    ++m_nodeCount;
    return node;
}

// Builds the nodes below the measured folder on the platform's walk pool. Every listed folder is one task that
// reads the folder through the platform's lean listing (names, kinds and the files' sizes; links never
// followed), makes its files' nodes, measures its packages and its folders at depth 0 whole, and hands each
// folder still to be listed to a task of its own. No task waits for another: a folder is finished (children in
// listing order, sorted stably, sizes summed) by whichever task completes its last part, which then reports to
// the folder above. A file with several names counts once in the whole measurement, where it is met first.
class SpaceTreeBuilder final
{
public:
    SpaceTreeBuilder(SpaceTree& tree, std::stop_token stop) : m_tree(tree), m_stop(std::move(stop)) {}

    // A file or folder of the measured folder itself, at `path`, built at `depth` with the pool's help; the
    // calling thread lists the folder itself and then waits for the rest. Nothing when it measures 0.
    SpaceNode* build(const Platform::LeanEntry& entry, const QString& path, int depth)
    {
        if (!isListed(entry, path, depth))
            return leaf(entry, path);
        auto top = std::make_unique<Folder>();
        Folder* folder = top.get();
        folder->name = entry.name;
        folder->path = path;
        folder->depth = depth;
        {
            const std::lock_guard lock(m_doneMutex);
            m_done = false;
            m_result = nullptr;
        }
        list(top.release());
        std::unique_lock lock(m_doneMutex);
        m_doneWake.wait(lock, [this] { return m_done; });
        return m_result;
    }

private:
    struct Folder {
        std::string name; // as the listing gave it
        QString path;
        int depth = 0;
        Folder* parent = nullptr;
        std::size_t slot = 0;                // this folder's place in its parent's listing
        std::vector<const SpaceNode*> parts; // one per listed entry, in listing order; empty for nothing kept
        std::atomic<int> outstanding{1};     // sub-folder tasks still running, plus the listing itself
    };

    static bool isListed(const Platform::LeanEntry& entry, const QString& path, int depth)
    {
        return entry.kind == Platform::EntryKind::Directory && depth > 0 && !Platform::isPackage(path);
    }

    // The bytes a regular file adds: nothing when another of its names was met before.
    qint64 fileBytes(const Platform::LeanEntry& entry)
    {
        if (entry.allocatedSize <= 0)
            return 0;
        if (entry.linkCount > 1 && !m_once.firstTime(entry.device, entry.inode))
            return 0;
        return entry.allocatedSize;
    }

    // A file, a link, a package or a folder at depth 0.
    SpaceNode* leaf(const Platform::LeanEntry& entry, const QString& path)
    {
        if (entry.kind == Platform::EntryKind::Regular) {
            const qint64 bytes = fileBytes(entry);
            if (bytes <= 0)
                return nullptr;
            const std::lock_guard lock(m_treeMutex);
            return m_tree.newNode(entry.name, false, bytes);
        }
        if (entry.kind != Platform::EntryKind::Directory || m_stop.stop_requested())
            return nullptr; // links and special files: nothing of their own, never followed
        const qint64 bytes = Platform::treeAllocatedBytes(path, m_stop, nullptr, nullptr, &m_once);
        if (bytes <= 0)
            return nullptr;
        const std::lock_guard lock(m_treeMutex);
        return m_tree.newNode(entry.name, !Platform::isPackage(path), bytes);
    }

    static QString joined(const QString& folder, const QString& name)
    {
        return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
    }

    void list(Folder* folder)
    {
        listParts(folder);
        // Last, once the listing is freed: the measure trims the allocator when the top folder is done, and memory
        // freed after that would stay with the thread that freed it.
        release(folder);
    }

    void listParts(Folder* folder)
    {
        std::vector<Platform::LeanEntry> entries = Platform::listFolderLean(folder->path);
        folder->parts.assign(entries.size(), nullptr);
        // The files' nodes are made together, under one hold of the tree, from the sizes they add, kept in their
        // entries meanwhile (0: nothing to add).
        bool anyFile = false;
        std::size_t seen = 0; // entries looked at before a stop
        for (; seen < entries.size() && !m_stop.stop_requested(); ++seen) {
            const std::size_t i = seen;
            Platform::LeanEntry& entry = entries[i];
            if (entry.kind == Platform::EntryKind::Regular) {
                entry.allocatedSize = fileBytes(entry);
                anyFile = anyFile || entry.allocatedSize > 0;
                continue;
            }
            if (entry.kind != Platform::EntryKind::Directory)
                continue;
            QString path = joined(folder->path, QFile::decodeName(entry.name.c_str()));
            if (!isListed(entry, path, folder->depth - 1)) {
                folder->parts[i] = leaf(entry, path);
                continue;
            }
            auto* child = new Folder();
            child->name = std::move(entry.name); // the listing's copy is not needed again
            child->path = std::move(path);
            child->depth = folder->depth - 1;
            child->parent = folder;
            child->slot = i;
            folder->outstanding.fetch_add(1, std::memory_order_relaxed);
            Platform::runOnWalkPool([this, child] { list(child); });
        }
        if (anyFile) {
            const std::lock_guard lock(m_treeMutex);
            for (std::size_t i = 0; i < seen; ++i) {
                if (entries[i].kind == Platform::EntryKind::Regular && entries[i].allocatedSize > 0)
                    folder->parts[i] = m_tree.newNode(entries[i].name, false, entries[i].allocatedSize);
            }
        }
        folder->path.clear();
        folder->path.squeeze();
    }

    // One part of `folder` is done; the last one finishes it, and so on up the tree.
    void release(Folder* folder)
    {
        while (folder && folder->outstanding.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            SpaceNode* node = finish(*folder);
            Folder* parent = folder->parent;
            const std::size_t slot = folder->slot;
            delete folder;
            if (!parent) {
                const std::lock_guard lock(m_doneMutex);
                m_result = node;
                m_done = true;
                m_doneWake.notify_all();
                return;
            }
            parent->parts[slot] = node;
            folder = parent;
        }
    }

    // The folder's node, its parts in listing order; nothing when they measure 0.
    SpaceNode* finish(const Folder& folder)
    {
        std::vector<const SpaceNode*> children;
        children.reserve(folder.parts.size());
        qint64 size = 0;
        for (const SpaceNode* node : folder.parts) {
            if (node) {
                children.push_back(node);
                size += node->size();
            }
        }
        if (size <= 0)
            return nullptr;
        const std::lock_guard lock(m_treeMutex);
        return m_tree.newNode(folder.name, true, size, &children);
    }

    SpaceTree& m_tree;
    const std::stop_token m_stop;
    Platform::CountedOnce m_once;
    std::mutex m_treeMutex;
    std::mutex m_doneMutex;
    std::condition_variable m_doneWake;
    bool m_done = false;
    SpaceNode* m_result = nullptr;
};

std::shared_ptr<SpaceTree> SpaceTree::measure(const QString& url, int depth, const Progress& progress,
                                              std::stop_token stop)
{
    auto report = [&](double fraction, const QString& label) {
        if (progress)
            progress(fraction, label);
    };
    std::shared_ptr<SpaceTree> tree(new SpaceTree());
    tree->m_rootPath = Platform::absolutePath(url);

    { // the build's listings and records end with this block, before the trim below
        const std::vector<Platform::LeanEntry> entries = Platform::listFolderLean(tree->m_rootPath);
        const auto count = double(entries.size());
        std::vector<const SpaceNode*> children;
        qint64 total = 0;
        SpaceTreeBuilder builder(*tree, stop);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (stop.stop_requested())
                break;
            const QString name = QFile::decodeName(entries[i].name.c_str());
            report(double(i) / count, name);
            const QString path = tree->m_rootPath.endsWith(u'/') ? QString(tree->m_rootPath + name)
                                                                 : QString(tree->m_rootPath + u'/' + name);
            // A folder cut short by a stop still counts what was built of it; the caller drops such a tree.
            if (SpaceNode* node = builder.build(entries[i], path, depth - 1)) {
                children.push_back(node);
                total += node->size();
            }
        }
        // The root is made last, when its children are known, so that its list can follow its name.
        tree->m_root = tree->newNode(QFile::encodeName(tree->m_rootPath).toStdString(), true, total, &children);
    }
    // The listings and per-folder records of the build are freed by now (each task frees its own before it reports
    // the last folder done), but the allocator keeps their pages: hand them back, so that a measurement holds only
    // its tree.
    ::malloc_trim(0);
    report(1.0, QString());
    return tree;
}
