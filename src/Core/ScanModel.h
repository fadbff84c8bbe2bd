#pragma once

#include "Core/RemovalMode.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

// The values a scan produces: groups of items, threats found by the malware scan, and advisories. They are
// created with every field by their producers; the types hold no defaults that matter.

enum class ThreatSeverity { suspicious = 0, likely = 1, confirmed = 2 };

// Accepts exactly 0, 1 and 2.
std::optional<ThreatSeverity> threatSeverityFromRaw(int raw);
int toRaw(ThreatSeverity severity);
QString label(ThreatSeverity severity); // "À vérifier", "Probable", "Confirmé"

struct Threat {
    ThreatSeverity severity = ThreatSeverity::suspicious;
    std::optional<QString> family;
    QStringList reasons; // French sentences, one per signal
    std::optional<QString> launchdLabel;

    // "Confirmé — famille « F » · R1": the label, the family when known, the first reason when any.
    QString summary() const;

    friend bool operator==(const Threat&, const Threat&) = default;
};

// An item's threat, when it is one: reads like std::optional<Threat>, and a copy copies the threat. Held out of
// line, since few items are threats and a scan may list a hundred thousand items.
class ItemThreat
{
public:
    ItemThreat() noexcept = default;
    ItemThreat(std::nullopt_t) noexcept {}
    ItemThreat(Threat threat) : m_threat(std::make_unique<const Threat>(std::move(threat))) {}
    ItemThreat(const ItemThreat& other) : m_threat(other ? std::make_unique<const Threat>(*other) : nullptr) {}
    ItemThreat(ItemThreat&&) noexcept = default;
    ItemThreat& operator=(const ItemThreat& other)
    {
        if (this != &other)
            m_threat = other ? std::make_unique<const Threat>(*other) : nullptr;
        return *this;
    }
    ItemThreat& operator=(ItemThreat&&) noexcept = default;
    ~ItemThreat() = default;

    bool has_value() const noexcept { return m_threat != nullptr; }
    explicit operator bool() const noexcept { return has_value(); }
    const Threat& operator*() const noexcept { return *m_threat; }
    const Threat* operator->() const noexcept { return m_threat.get(); }

    // By value, as two optionals compare.
    friend bool operator==(const ItemThreat& a, const ItemThreat& b)
    {
        return a.has_value() == b.has_value() && (!a || *a == *b);
    }
    friend bool operator==(const ItemThreat& a, const Threat& b) { return a && *a == b; }
    friend bool operator==(const ItemThreat& a, std::nullopt_t) noexcept { return !a; }

private:
    std::unique_ptr<const Threat> m_threat;
};

struct ScanItem {
    QUuid id;
    QString url; // the file or folder that removal acts on
    QString name;
    qint64 size = 0; // allocated bytes
    std::optional<QString> detail;
    std::optional<QDateTime> modified;
    bool isSelected = false;
    bool isRisky = false;
    Removal::Mode removalMode;
    ItemThreat threat;

    // All ten fields; hashing uses `id` alone, so items differing only in selection hash alike.
    friend bool operator==(const ScanItem&, const ScanItem&) = default;
};

inline size_t qHash(const ScanItem& item, size_t seed = 0) noexcept
{
    return qHash(item.id, seed);
}

template <> struct std::hash<ScanItem> {
    size_t operator()(const ScanItem& item) const noexcept { return qHash(item.id); }
};

struct ScanGroup {
    // How the headline figure is shown: the sum of the sizes, or the number of threats.
    enum class Metric { bytes, threats };

    QUuid id;
    QString title;
    QString symbol;
    std::optional<QString> note;
    QList<ScanItem> items; // in display order
    bool isExpanded = false;
    Metric metric = Metric::bytes;
    // The items are copies of one file, the one to keep first (duplicates, oldest first): selecting the whole
    // group leaves that first copy, and a cleaning that would remove every copy asks first.
    bool keepsFirst = false;

    // The group checkbox: true when every item is selected, false when none is (or the group is empty),
    // nothing when mixed.
    std::optional<bool> selectionState() const;
};

struct Advisory {
    QUuid id;
    QString title;
    QString message;
    std::optional<QString> settingsURL; // a System Settings location the button opens
    std::optional<QString> actionTitle; // the button's text; no button when absent
};
