#pragma once

#include "Core/Progress.h"
#include "Core/ScanModel.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

#include "QtPrinters.h"

// Sets environment variables (HOME, TMPDIR, QUORVANE_ROOT) for one test and restores them afterwards.
class EnvironmentOverride final
{
public:
    EnvironmentOverride(std::initializer_list<std::pair<const char*, QString>> values)
    {
        for (const auto& [name, value] : values) {
            m_saved.emplace_back(name, qgetenv(name));
            qputenv(name, value.toUtf8());
        }
    }
    ~EnvironmentOverride()
    {
        for (const auto& [name, value] : m_saved)
            qputenv(name, value);
    }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    std::vector<std::pair<const char*, QByteArray>> m_saved;
};

// Every progress report of a scan, as "fraction label" lines.
class ProgressLog final
{
public:
    Progress callback()
    {
        return
            [this](double fraction, const QString& label) { m_steps.append(QString::number(fraction) + u' ' + label); };
    }
    const QStringList& steps() const { return m_steps; }

private:
    QStringList m_steps;
};

inline QStringList titlesOf(const QList<ScanGroup>& groups)
{
    QStringList titles;
    for (const ScanGroup& group : groups)
        titles.append(group.title);
    return titles;
}

inline QStringList namesOf(const ScanGroup& group)
{
    QStringList names;
    for (const ScanItem& item : group.items)
        names.append(item.name);
    return names;
}

inline const ScanGroup* groupTitled(const QList<ScanGroup>& groups, const QString& title)
{
    for (const ScanGroup& group : groups) {
        if (group.title == title)
            return &group;
    }
    return nullptr;
}
// The groups must outlive the pointer.
const ScanGroup* groupTitled(QList<ScanGroup>&& groups, const QString& title) = delete;
