#include "Tools/SpaceMapViewModel.h"

#include "Core/BackgroundJob.h"
#include "Core/FileUtils.h"
#include "Core/ProgressRelay.h"

#include <QCoreApplication>
#include <QPointer>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

SpaceMapViewModel::SpaceMapViewModel(QObject* parent) : QObject(parent)
{
}

// The job line asks a measurement still under way to stop: it finds no model when it ends.
SpaceMapViewModel::~SpaceMapViewModel() = default;

void SpaceMapViewModel::scan(const QString& folder)
{
    m_isScanning = true;
    m_progress = 0;
    m_current = nullptr;
    m_tree.reset();
    emit changed();

    QPointer<SpaceMapViewModel> self(this);
    auto relay = ProgressRelay::create(ProgressRelay::Labels::LastAsGiven,
                                       [self](double fraction, const std::optional<QString>& status) {
                                           if (self)
                                               self->applyProgress(fraction, status);
                                       });
    m_jobs.start([folder, relay](const Background::Job<SpaceMapViewModel>& job) {
        std::shared_ptr<SpaceTree> tree = SpaceTree::measure(
            folder, depth, [relay](double fraction, const QString& label) { relay->report(fraction, label); },
            job.stopToken());
        // The last progress reaches the screen whether or not the tree is still wanted: a stop ends at 1.0.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [relay] { relay->flush(); }, Qt::QueuedConnection);
        if (job.stopRequested())
            return; // stopped or replaced: the tree may be partial, and is not wanted
        job.deliver([tree = std::move(tree)](SpaceMapViewModel& model) mutable { model.publish(std::move(tree)); });
    });
}

void SpaceMapViewModel::publish(std::shared_ptr<SpaceTree> tree)
{
    m_tree = std::move(tree);
    m_current = m_tree->root();
    m_isScanning = false;
    m_status.clear();
    emit changed();
}

void SpaceMapViewModel::applyProgress(double fraction, const std::optional<QString>& status)
{
    m_progress = fraction;
    if (status)
        m_status = *status;
    emit changed();
}

void SpaceMapViewModel::stop()
{
    if (!m_isScanning)
        return;
    m_jobs.stop();
    m_isScanning = false;
    emit changed();
}

void SpaceMapViewModel::enter(const SpaceNode* node)
{
    if (!node || !m_current || node->parent() != m_current || !node->isDirectory() || node->children().empty())
        return;
    m_current = node;
    emit changed();
}

void SpaceMapViewModel::goUp()
{
    if (!m_current || !m_current->parent())
        return;
    m_current = m_current->parent();
    emit changed();
}

void SpaceMapViewModel::jumpTo(const SpaceNode* node)
{
    if (!node || node == m_current)
        return;
    for (const SpaceNode* ancestor = m_current; ancestor; ancestor = ancestor->parent()) {
        if (ancestor == node) {
            m_current = node;
            emit changed();
            return;
        }
    }
}

void SpaceMapViewModel::hover(const SpaceNode* node)
{
    std::optional<Hovered> hovered;
    if (node)
        hovered = Hovered{node->id(), node->name(), node->isDirectory(), node->size()};
    if (hovered == m_hovered)
        return;
    m_hovered = std::move(hovered);
    emit changed();
}

std::vector<const SpaceNode*> SpaceMapViewModel::path() const
{
    std::vector<const SpaceNode*> nodes;
    for (const SpaceNode* node = m_current; node; node = node->parent())
        nodes.push_back(node);
    std::reverse(nodes.begin(), nodes.end());
    return nodes;
}

qint64 sharePercent(qint64 part, qint64 whole)
{
    const double base = whole < 1 ? 1.0 : double(whole);
    // A share no qint64 holds (a part far above the whole) is said as the largest one.
    const double share = std::trunc(double(part) * 100.0 / base);
    if (share >= 9223372036854775808.0)
        return std::numeric_limits<qint64>::max();
    if (share < -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return qint64(share);
}

QString spaceSizeText(qint64 bytes)
{
    return bytes > 0 ? FileUtils::byteFormatter().string(bytes) : u"0 Ko"_s;
}
