#pragma once

#include "Tools/SpaceNode.h"

#include "Core/BackgroundJob.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <stop_token>

// The disk map's state: one measurement at a time, the measured tree, the folder shown and the node under the
// pointer. GUI thread only; the measurement runs on a pool thread and never keeps the model alive.
//
// States: start (not scanning, no current folder), scanning, exploring (a current folder). Every change emits
// changed().
class SpaceMapViewModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpaceMapViewModel)

public:
    static constexpr int depth = 4;

    // What the information bar shows of the hovered node. A copy, so that it outlives the tree it came from.
    struct Hovered {
        quint64 id = 0;
        QString name;
        bool isDirectory = false;
        qint64 size = 0;
        friend bool operator==(const Hovered&, const Hovered&) = default;
    };

    explicit SpaceMapViewModel(QObject* parent = nullptr);
    ~SpaceMapViewModel() override;

    // The root of the last completed measurement; it and its tree live while the model holds them.
    const SpaceNode* root() const { return m_tree ? m_tree->root() : nullptr; }
    const SpaceNode* current() const { return m_current; }
    bool isScanning() const { return m_isScanning; }
    double progress() const { return m_progress; }
    const QString& status() const { return m_status; }
    const std::optional<Hovered>& hovered() const { return m_hovered; }

    // Starts measuring `folder`, replacing any measurement running; the shown tree is released at once.
    void scan(const QString& folder);
    // Stops the running measurement; nothing of it is published, so the start state comes back.
    void stop();

    // Shows `node` when it is a folder of the current one that holds something.
    void enter(const SpaceNode* node);
    // Shows the parent of the current folder, when it has one.
    void goUp();
    // Shows `node` when it is the current folder or one of its ancestors.
    void jumpTo(const SpaceNode* node);
    // The node under the pointer, or none.
    void hover(const SpaceNode* node);

    // The path from the root to the current folder, root first.
    std::vector<const SpaceNode*> path() const;

signals:
    void changed();

private:
    void publish(std::shared_ptr<SpaceTree> tree);
    void applyProgress(double fraction, const std::optional<QString>& status);

    std::shared_ptr<SpaceTree> m_tree;
    const SpaceNode* m_current = nullptr;
    bool m_isScanning = false;
    double m_progress = 0;
    QString m_status;
    std::optional<Hovered> m_hovered;
    Background::JobLine<SpaceMapViewModel> m_jobs{this};
};

// The share of `part` in `whole` as a whole percentage, cut towards zero; a whole below 1 counts as 1.
qint64 sharePercent(qint64 part, qint64 whole);

// A size as the disk map writes it: "0 Ko" for 0 or less, else the shared byte-count text.
QString spaceSizeText(qint64 bytes);
