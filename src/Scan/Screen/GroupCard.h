#pragma once

#include "Core/ScanModel.h"
#include "Look/BandedRows.h"

#include <QList>
#include <QUuid>
#include <QWidget>

class BoxButton;
class CardModifier;
class DisclosureChevron;
class Divider;
class ItemRow;
class QAbstractButton;
class ScanViewModel;
class ElidedLabel;
class TextLabel;
struct ScreenServices;

// One result group on the results screen: a header (objectName "groupHeader") with the group's box
// ("groupCheckbox"), icon, title ("groupTitle"), note ("groupNote"), figures ("groupCount", "groupFigure") and
// chevron ("groupChevron"), and while the group is expanded its first 200 items as rows and, past them, the
// overflow line ("overflowLine").
//
// The card keeps the group's id, never a copy of the group: refresh() shows the group's current value. Rows
// exist only for the band of the card that the list asks for with showBand(), so a group of thousands of items
// costs a screenful of rows; every other row is only a height.
class GroupCard final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int rowCap = 200;
    static constexpr int indent = 44;

    // "… et N éléments supplémentaires, inclus dans la sélection."
    static QString overflowText(qint64 hidden);
    // "N élément(s)" for a bytes group, "N menace(s)" for a threats group.
    static QString countText(qsizetype count, ScanGroup::Metric metric);

    GroupCard(ScanViewModel& model, const ScanGroup& group, const ScreenServices& services, QWidget* parent = nullptr);
    ~GroupCard() override;

    const QUuid& groupID() const { return m_groupID; }

    void refresh(const ScanGroup& group);
    // Builds the rows that meet the band from `top` to `bottom` (the card's coordinates) and drops the others.
    void showBand(int top, int bottom);

    // How many rows the expanded card lays out (at most 200), and those built now, in order.
    int rowCount() const { return m_rows.rowCount(); }
    QList<ItemRow*> builtRows() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class Header;

    const ScanGroup* currentGroup() const;
    void placeChildren();
    // The header's height at the card's width `width`: a long note wraps onto more lines.
    int headerHeightFor(int width) const;

    ScanViewModel& m_model;
    QUuid m_groupID;
    const ScreenServices& m_services;

    CardModifier* m_card;
    QWidget* m_body;
    Header* m_header;
    BoxButton* m_box;
    ElidedLabel* m_title;
    TextLabel* m_note;
    TextLabel* m_count;
    TextLabel* m_figure;
    DisclosureChevron* m_chevron;
    Divider* m_divider;
    TextLabel* m_overflow;

    bool m_expanded = false;
    BandedRows m_rows; // in the card's coordinates; the first top is where the rows start under the header
};
