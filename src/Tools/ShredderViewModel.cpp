#include "Tools/ShredderViewModel.h"

#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Core/ModuleID.h"
#include "Core/PathSafety.h"
#include "Core/ProgressRelay.h"
#include "Core/RemovalEngine.h"
#include "Core/WorkInFlight.h"
#include "Platform/SystemRoot.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

using Job = Background::Job<ShredderViewModel>;

} // namespace

ShredderViewModel::ShredderViewModel(const ModelServices& services, QObject* parent)
    : QObject(parent), m_services(services)
{
}

void ShredderViewModel::setPasses(int passes)
{
    if (passes != 1 && passes != 3 && passes != 7)
        return;
    m_passes = passes;
    emit changed();
}

qint64 ShredderViewModel::totalSize() const
{
    qint64 total = 0;
    for (const ScanItem& item : m_items)
        total += item.size;
    return total;
}

bool ShredderViewModel::refused(const QString& path)
{
    if (PathSafety::isProtected(path))
        return true;
    // Judge the real place too: a linked parent folder may lead somewhere protected. The item itself is not
    // followed, as the engine removes a link and not its target.
    const QFileInfo info(path);
    const QString parent = QFileInfo(info.path()).canonicalFilePath();
    if (parent.isEmpty())
        return false;
    return PathSafety::isProtected(QDir::cleanPath(parent + u'/' + info.fileName()));
}

void ShredderViewModel::add(const QStringList& paths)
{
    QSet<QString> queued;
    for (const ScanItem& item : m_items)
        queued.insert(item.url);
    QList<QPair<QUuid, QString>> fresh;
    for (const QString& raw : paths) {
        if (raw.isEmpty())
            continue;
        const QString path = QDir::cleanPath(QDir::isAbsolutePath(raw) ? raw : QDir::current().absoluteFilePath(raw));
        if (queued.contains(path) || refused(path))
            continue;
        queued.insert(path);
        ScanItem item;
        item.id = QUuid::createUuid();
        item.url = path;
        item.name = QFileInfo(path).fileName();
        // Two files of one name must not look alike in a tool that cannot undo: the row shows its folder.
        item.detail = FileUtils::abbreviatedPath(Platform::parentOf(path));
        item.isSelected = true;
        item.removalMode = Removal::Mode::shred(m_passes);
        m_items.append(item);
        m_measuring.insert(item.id);
        fresh.append({item.id, path});
    }
    if (fresh.isEmpty())
        return;
    emit changed();
    auto& line = m_measures.emplace_back(std::make_unique<Background::JobLine<ShredderViewModel>>(this));
    line->start([fresh](const Job& job) {
        // Sizes go back in batches, at most every 50 ms, so that a thousand small files are a few changes of
        // the queue, not a thousand; a folder that takes long still shows its size as soon as it is known.
        QHash<QUuid, qint64> measured;
        QElapsedTimer since;
        since.start();
        const auto hand = [&] {
            job.deliver([measured](ShredderViewModel& model) { model.applySizes(measured); });
            measured.clear();
            since.restart();
        };
        for (const auto& entry : fresh) {
            if (job.stopRequested())
                return;
            measured.insert(entry.first, FileUtils::allocatedSize(entry.second, std::nullopt, job.stopToken()).bytes);
            if (since.elapsed() >= 50)
                hand();
        }
        if (!measured.isEmpty())
            hand();
    });
}

void ShredderViewModel::applySizes(const QHash<QUuid, qint64>& sizes)
{
    bool changedAny = false;
    for (ScanItem& item : m_items) {
        const auto found = sizes.constFind(item.id);
        if (found != sizes.constEnd() && m_measuring.remove(item.id)) {
            item.size = *found;
            changedAny = true;
        }
    }
    if (changedAny)
        emit changed();
}

void ShredderViewModel::remove(const QUuid& id)
{
    if (m_shredding)
        return;
    m_measuring.remove(id);
    m_items.removeIf([&](const ScanItem& item) { return item.id == id; });
    emit changed();
}

void ShredderViewModel::clear()
{
    m_items.clear();
    m_measuring.clear();
    m_measures.clear();
    m_shreddedCount = 0;
    m_failures.clear();
    emit changed();
}

bool ShredderViewModel::canShred() const
{
    return !m_items.isEmpty() && !m_shredding && m_measuring.isEmpty();
}

void ShredderViewModel::shred()
{
    if (!canShred())
        return;
    QList<ScanItem> jobItems = m_items;
    for (ScanItem& item : jobItems)
        item.removalMode = Removal::Mode::shred(m_passes);
    m_shredding = true;
    m_progress = 0;
    m_status.clear();
    m_shreddedCount = 0;
    m_failures.clear();
    m_reasons.clear();
    emit changed();

    // The job runs to its end whatever becomes of the model, and quitting waits until its session is journaled.
    auto shredding = [jobItems, passes = m_passes, &engine = m_services.removal,
                      &history = m_services.history](const Job& job) {
        auto relay = ProgressRelay::create(ProgressRelay::Labels::LastAsGiven,
                                           [job](double fraction, const std::optional<QString>& status) {
                                               if (ShredderViewModel* model = job.receiver())
                                                   model->applyProgress(fraction, status);
                                           });
        const Removal::Report report =
            engine.remove(jobItems, Removal::Mode::shred(passes),
                          [relay](double fraction, const QString& label) { relay->report(fraction, label); });
        history.record(report, ModuleID::shredder);
        // What failed stays queued; what was removed, or was already gone, leaves.
        QHash<QString, QString> failed;
        for (const Removal::Failure& failure : report.failures)
            failed.insert(QDir::cleanPath(failure.url), failure.reason);
        QSet<QUuid> done;
        QHash<QUuid, QString> reasons;
        for (const ScanItem& item : jobItems) {
            if (const auto reason = failed.constFind(item.url); reason != failed.cend())
                reasons.insert(item.id, *reason);
            else
                done.insert(item.id);
        }
        QStringList failures;
        for (const Removal::Failure& failure : report.failures)
            failures.append(FileUtils::abbreviatedPath(failure.url) + u" — "_s + failure.reason);
        const int removed = int(report.removed.size());
        job.deliver([relay, done, removed, failures, reasons](ShredderViewModel& model) {
            relay->flush();
            model.finish(done, removed, failures, reasons);
        });
    };
    Background::runToEnd(m_services.inFlight.begin(), this, std::move(shredding));
}

void ShredderViewModel::applyProgress(double fraction, const std::optional<QString>& status)
{
    m_progress = fraction;
    if (status)
        m_status = *status;
    emit changed();
}

std::optional<QString> ShredderViewModel::failureReason(const QUuid& id) const
{
    const auto found = m_reasons.constFind(id);
    if (found == m_reasons.cend())
        return std::nullopt;
    return *found;
}

void ShredderViewModel::finish(const QSet<QUuid>& done, int removed, const QStringList& failures,
                               const QHash<QUuid, QString>& reasons)
{
    // Only the job's own items leave; anything added while it ran stays queued.
    m_items.removeIf([&](const ScanItem& item) { return done.contains(item.id); });
    m_shredding = false;
    m_shreddedCount = removed;
    m_failures = failures;
    m_reasons = reasons;
    m_progress = 1;
    m_status.clear();
    emit changed();
    emit finished();
}
