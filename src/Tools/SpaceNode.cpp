#include "Tools/SpaceNode.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"

#include <algorithm>
#include <atomic>
#include <cstring>

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

QStringView SpaceNode::nameView() const
{
    const QStringView stored(m_name, m_nameLength);
    if (m_parent)
        return stored;
    const qsizetype slash = stored.lastIndexOf(u'/');
    const QStringView last = stored.mid(slash + 1);
    return last.isEmpty() ? stored : last;
}

QString SpaceNode::url() const
{
    if (!m_parent)
        return QString(reinterpret_cast<const QChar*>(m_name), m_nameLength);
    std::vector<const SpaceNode*> chain;
    for (const SpaceNode* node = this; node->m_parent; node = node->m_parent)
        chain.push_back(node);
    const SpaceNode* root = chain.back()->m_parent;
    QString path(reinterpret_cast<const QChar*>(root->m_name), root->m_nameLength);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.endsWith(u'/'))
            path += u'/';
        path += (*it)->nameView();
    }
    return path;
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

SpaceNode* SpaceTree::newNode(QStringView name, bool isDirectory, qint64 size)
{
    auto* node = new (allocate(sizeof(SpaceNode), alignof(SpaceNode))) SpaceNode();
    node->m_id = newID();
    node->m_size = size;
    node->m_isDirectory = isDirectory;
    const auto length = std::size_t(std::min<qsizetype>(name.size(), 0xFFFF));
    if (length > 0) {
        auto* text = static_cast<char16_t*>(allocate(length * sizeof(char16_t), alignof(char16_t)));
        std::memcpy(text, name.utf16(), length * sizeof(char16_t));
        node->m_name = text;
    }
    node->m_nameLength = quint16(length);
    ++m_nodeCount;
    return node;
}

void SpaceTree::adopt(SpaceNode* node, std::vector<const SpaceNode*>& children)
{
    sortBySize(children);
    if (children.empty())
        return;
    auto* list =
        static_cast<const SpaceNode**>(allocate(children.size() * sizeof(const SpaceNode*), alignof(const SpaceNode*)));
    for (std::size_t i = 0; i < children.size(); ++i) {
        list[i] = children[i];
        const_cast<SpaceNode*>(children[i])->m_parent = node;
    }
    node->m_children = list;
    node->m_childCount = quint32(children.size());
}

// Builds the nodes of one top-level folder from the platform's walk: a stack of the folders being listed,
// each finished (children sorted, its node made only when it holds something) as the walk leaves it.
class SpaceTreeBuilder final
{
public:
    SpaceTreeBuilder(SpaceTree& tree, const std::stop_token& stop) : m_tree(tree), m_stop(stop) {}

    // A file or folder of the measured folder itself, built at `depth`; nothing when it measures 0.
    SpaceNode* build(const Platform::FileInfo& entry, int depth)
    {
        if (entry.isRegular())
            return entry.allocatedSize > 0 ? m_tree.newNode(entry.name, false, entry.allocatedSize) : nullptr;
        if (!entry.isDirectory())
            return nullptr; // links and special files: nothing of their own, never followed
        if (Platform::isPackage(entry.path) || depth <= 0)
            return measuredWhole(entry);

        m_open.clear();
        m_open.push_back(Open{entry.name, {}, 0});
        Platform::walkTree(
            entry.path,
            [&](const Platform::FileInfo& info, int level) {
                // `level` is 1 for the folder's own entries: they belong to m_open[level - 1].
                while (int(m_open.size()) > level)
                    close();
                return visit(info, depth - level);
            },
            m_stop);
        while (m_open.size() > 1)
            close();
        return finish(m_open.front());
    }

private:
    struct Open {
        QString name;
        std::vector<const SpaceNode*> children;
        qint64 size = 0;
    };

    Platform::WalkStep visit(const Platform::FileInfo& info, int depth)
    {
        Open& parent = m_open.back();
        if (info.isDirectory() && !Platform::isPackage(info.path) && depth > 0) {
            m_open.push_back(Open{info.name, {}, 0});
            return Platform::WalkStep::Continue;
        }
        if (SpaceNode* node = build(info, depth)) {
            parent.size += node->size();
            parent.children.push_back(node);
        }
        return Platform::WalkStep::SkipDescendants;
    }

    SpaceNode* measuredWhole(const Platform::FileInfo& entry)
    {
        if (m_stop.stop_requested())
            return nullptr;
        const qint64 bytes = FileUtils::allocatedSize(entry.path, std::nullopt, m_stop).bytes;
        if (bytes <= 0)
            return nullptr;
        return m_tree.newNode(entry.name, !Platform::isPackage(entry.path), bytes);
    }

    void close()
    {
        Open folder = std::move(m_open.back());
        m_open.pop_back();
        if (SpaceNode* node = finish(folder)) {
            m_open.back().size += node->size();
            m_open.back().children.push_back(node);
        }
    }

    SpaceNode* finish(Open& folder)
    {
        if (folder.size <= 0)
            return nullptr;
        SpaceNode* node = m_tree.newNode(folder.name, true, folder.size);
        m_tree.adopt(node, folder.children);
        return node;
    }

    SpaceTree& m_tree;
    const std::stop_token& m_stop;
    std::vector<Open> m_open;
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
    SpaceNode* root = tree->newNode(tree->m_rootPath, true, 0);

    const std::vector<Platform::FileInfo> entries = Platform::listFolder(tree->m_rootPath);
    const auto count = double(entries.size());
    std::vector<const SpaceNode*> children;
    qint64 total = 0;
    SpaceTreeBuilder builder(*tree, stop);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (stop.stop_requested())
            break;
        report(double(i) / count, entries[i].name);
        // A folder cut short by a stop still counts what was built of it; the caller drops such a tree.
        if (SpaceNode* node = builder.build(entries[i], depth - 1)) {
            children.push_back(node);
            total += node->size();
        }
    }
    root->m_size = total;
    tree->adopt(root, children);
    tree->m_root = root;
    report(1.0, QString());
    return tree;
}
