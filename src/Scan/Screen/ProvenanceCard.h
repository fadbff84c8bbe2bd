#pragma once

#include "Core/Provenance.h"
#include "Core/ScanModel.h"

#include <QAbstractButton>
#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QWidget>

#include <optional>

// The small card that tells where one scan item comes from: the item's icon, name and size, then which
// application it belongs to and whether that application is still installed, when it was last opened or
// written, where it was downloaded from, and on its last line what deleting it will cause. It only reads: no
// title, no button, no action, and it does not compute the provenance itself. GUI thread only.
//
// Object names: provenanceIcon, provenanceName, provenanceSize, provenanceOwner, provenanceStaleness,
// provenanceOrigin (each fact only when present) and provenanceConsequence.
class ProvenanceCard final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int cardWidth = 300;

    // One fact row: a symbol in its tint, or in the secondary label colour without one, beside its text.
    struct Fact {
        QString objectName;
        QString symbol;
        std::optional<QColor> tint;
        QString text;

        friend bool operator==(const Fact&, const Fact&) = default;
    };

    // The rows present for the provenance, in order: the owner, the last use or write (dates written relative
    // to `now`), the download origin.
    static QList<Fact> facts(const Provenance& provenance, const QDateTime& now);

    // What deleting the item will cause: nothing recreates the data of an application that is gone, whatever
    // its kind; otherwise the kind tells.
    static QString consequence(const Provenance& provenance);

    ProvenanceCard(const ScanItem& item, const Provenance& provenance, QWidget* parent = nullptr);

    const ScanItem& item() const { return m_item; }
    const Provenance& provenance() const { return m_provenance; }

private:
    ScanItem m_item;
    Provenance m_provenance;
};

// Opens the card of `item` in a popover under `anchor` (above it where the screen has no room below), once the
// provenance is known: it is computed off the GUI thread, since it reads the file's metadata and looks through
// the installed applications. Each call computes it again; when several calls for one anchor overlap, only the
// last one opens, replacing any card already open there. The popover (objectName provenancePopover) closes as a
// popup does, on a click elsewhere or Escape, and goes with its anchor; nothing opens once the anchor is gone.
void showProvenanceCard(QWidget* anchor, const ScanItem& item);

// The info button of a result row: the symbol "info.circle" at 11 points in the secondary label colour, with
// the tooltip "D'où vient ce fichier"; a click opens the item's card under it (objectName provenanceButton).
class ProvenanceButton final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ProvenanceButton(const ScanItem& item, QWidget* parent = nullptr);

    const ScanItem& item() const { return m_item; }
    void setItem(const ScanItem& item) { m_item = item; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ScanItem m_item;
};
