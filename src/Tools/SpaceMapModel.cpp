#include "Tools/SpaceMapModel.h"

#include "Core/FileUtils.h"
#include "Scan/ProgressRelay.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <cmath>

using namespace Qt::StringLiterals;

SpaceMapModel::SpaceMapModel(QObject* parent) : QObject(parent)
{
}

SpaceMapModel::~SpaceMapModel()
{
    // The measurement finds no model when it ends; stopping lets it end early.
    if (m_job.stop_possible())
        m_job.request_stop();
}

void SpaceMapModel::scan(const QString& folder)
{
    if (m_job.stop_possible())
        m_job.request_stop();
    m_job = std::stop_source();
    m_isScanning = true;
    m_progress = 0;
    m_current = nullptr;
    m_tree.reset();
    emit changed();

    QPointer<SpaceMapModel> self(this);
    auto relay = ProgressRelay::create(ProgressRelay::Labels::LastAsGiven,
                                       [self](double fraction, const std::optional<QString>& status) {
                                           if (self)
                                               self->applyProgress(fraction, status);
                                       });
    QThreadPool::globalInstance()->start([folder, relay, self, stop = m_job.get_token()] {
        std::shared_ptr<SpaceTree> tree = SpaceTree::measure(
            folder, depth, [relay](double fraction, const QString& label) { relay->report(fraction, label); }, stop);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [relay, self, stop, tree = std::move(tree)]() mutable {
                relay->flush();
                if (self)
                    self->publish(stop, std::move(tree));
            },
            Qt::QueuedConnection);
    });
}

void SpaceMapModel::publish(const std::stop_token& job, std::shared_ptr<SpaceTree> tree)
{
    if (job.stop_requested())
        return; // stopped or replaced: the tree may be partial, and is not wanted
    m_tree = std::move(tree);
    m_current = m_tree->root();
    m_isScanning = false;
    m_status.clear();
    emit changed();
}

void SpaceMapModel::applyProgress(double fraction, const std::optional<QString>& status)
{
    m_progress = fraction;
    if (status)
        m_status = *status;
    emit changed();
}

void SpaceMapModel::stop()
{
    if (!m_isScanning)
        return;
    if (m_job.stop_possible())
        m_job.request_stop();
    m_isScanning = false;
    emit changed();
}

void SpaceMapModel::enter(const SpaceNode* node)
{
    if (!node || !m_current || node->parent() != m_current || !node->isDirectory() || node->children().empty())
        return;
    m_current = node;
    emit changed();
}

void SpaceMapModel::goUp()
{
    if (!m_current || !m_current->parent())
        return;
    m_current = m_current->parent();
    emit changed();
}

void SpaceMapModel::jumpTo(const SpaceNode* node)
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

void SpaceMapModel::hover(const SpaceNode* node)
{
    std::optional<Hovered> hovered;
    if (node)
        hovered = Hovered{node->id(), node->name(), node->isDirectory(), node->size()};
    if (hovered == m_hovered)
        return;
    m_hovered = std::move(hovered);
    emit changed();
}

std::vector<const SpaceNode*> SpaceMapModel::path() const
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
    return qint64(std::trunc(double(part) * 100.0 / base));
}

QString spaceSizeText(qint64 bytes)
{
    return bytes > 0 ? FileUtils::byteFormatter().string(bytes) : u"0 Ko"_s;
}
