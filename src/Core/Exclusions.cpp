#include "Core/Exclusions.h"

#include "Core/FileUtils.h"
#include "Core/PathSafety.h"
#include "Platform/SystemRoot.h"
#include "Platform/UserDefaults.h"

#include <algorithm>
#include <optional>

#include <QCollator>
#include <QLocale>
#include <QSet>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

const QString kKey = u"exclusions"_s;

QStringList storedList(const Platform::UserDefaults& defaults)
{
    const std::optional<QVariant> stored = defaults.value(kKey);
    if (!stored || stored->typeId() != QMetaType::QVariantList)
        return {};
    QStringList list;
    for (const QVariant& entry : stored->toList()) {
        if (entry.typeId() != QMetaType::QString)
            return {};
        list.append(entry.toString());
    }
    return list;
}

// Only the candidate is expanded into its two names; the entries are standardised already.
bool covers(const QStringList& entries, const QString& url, bool orHoldsEntry)
{
    if (entries.isEmpty())
        return false;
    const std::optional<QString> path = Platform::standardizedPath(url);
    if (!path)
        return false;
    const QStringList names = PathSafety::aliases(*path);
    for (const QString& name : names) {
        for (const QString& entry : entries) {
            if (PathSafety::isEqualOrUnder(name, entry))
                return true;
        }
    }
    if (orHoldsEntry) {
        for (const QString& name : names) {
            for (const QString& entry : entries) {
                if (PathSafety::isEqualOrUnder(entry, name))
                    return true;
            }
        }
    }
    return false;
}

} // namespace

Exclusions::Exclusions(std::shared_ptr<Platform::UserDefaults> defaults, QObject* parent)
    : QObject(parent), m_defaults(std::move(defaults))
{
    m_paths = normalize(storedList(*m_defaults));
    m_snapshot = m_paths;
}

Exclusions::~Exclusions() = default;

QStringList Exclusions::snapshot() const
{
    const std::lock_guard lock(m_lock);
    return m_snapshot;
}

bool Exclusions::isExcluded(const QString& url) const
{
    return covers(snapshot(), url, false);
}

bool Exclusions::isExcludedOrHoldsExclusion(const QString& url) const
{
    return covers(snapshot(), url, true);
}

bool Exclusions::add(const QString& url)
{
    const std::optional<QString> path = Platform::standardizedPath(url);
    if (!path || *path == u"/" || isExcluded(*path))
        return false;
    QStringList list;
    for (const QString& entry : std::as_const(m_paths)) {
        if (!PathSafety::isEqualOrUnder(entry, *path))
            list.append(entry);
    }
    list.append(*path);
    persist(normalize(list));
    return true;
}

void Exclusions::remove(const QString& path)
{
    QStringList list = m_paths;
    list.removeAll(path);
    persist(list);
}

void Exclusions::persist(const QStringList& list)
{
    {
        const std::lock_guard persisting(m_persistLock);
        {
            const std::lock_guard lock(m_lock);
            m_snapshot = list;
        }
        // A failed write is not reported: the list stays in force for this process.
        m_defaults->setValue(kKey, list);
    }
    if (QThread::currentThread() == thread())
        publish(list);
    else
        QMetaObject::invokeMethod(
            this, [this, list] { publish(list); }, Qt::QueuedConnection);
}

void Exclusions::publish(const QStringList& list)
{
    if (m_paths == list)
        return;
    m_paths = list;
    emit changed();
}

QStringList Exclusions::normalize(const QStringList& list)
{
    QStringList unique;
    QSet<QString> seen;
    for (const QString& entry : list) {
        const std::optional<QString> path = Platform::standardizedPath(entry);
        // The root would exclude everything, and a relative entry would depend on the working folder.
        if (!path || *path == u"/" || seen.contains(*path))
            continue;
        seen.insert(*path);
        unique.append(*path);
    }

    QCollator collator{QLocale(QLocale::French, QLocale::France)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    QList<std::pair<QString, QString>> keyed; // ("~" form, path)
    keyed.reserve(unique.size());
    for (const QString& path : std::as_const(unique))
        keyed.append({FileUtils::abbreviatedPath(path), path});
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&collator](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
    QStringList sorted;
    sorted.reserve(keyed.size());
    for (const auto& [abbreviated, path] : std::as_const(keyed))
        sorted.append(path);
    return sorted;
}
