#pragma once

#include "Core/ScanModel.h"

#include <QUuid>
#include <QWidget>

class BoxButton;
class ElidedLabel;
class QLabel;
class QMenu;
class ScanViewModel;
class SeverityChip;
class SymbolButton;
class SymbolView;
class TextLabel;
struct ScreenServices;

// The line of one item in an expanded group card: its box (objectName "itemCheckbox"), icon, name
// ("itemName") with the threat's severity chip ("severityChip") or the personal-data mark ("riskyMark"), the
// detail line ("itemDetail"), and at the end the item's size ("itemSize") or, for a threat, where the removal
// engine puts it ("itemRoute"). While the pointer is over it, the info button ("provenanceButton", only when the screen
// can open a provenance card) and the reveal button ("revealButton") show. Its context menu reveals the item or
// excludes it from every scan.
//
// The row holds a copy of its item, which the card replaces with setItem() after every change of the model.
class ItemRow final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int boxLeading = 26;
    static constexpr int trailingPadding = 14;
    static constexpr int verticalPadding = 6;
    static constexpr int spacing = 12;
    static constexpr int iconSide = 17;
    static constexpr int trailingWidth = 74;
    static constexpr qreal hoverOpacity = 0.04;

    // The height of the row that shows `item`: one line of text, or two when it has a detail.
    static int heightFor(const ScanItem& item);
    // The trailing column: for a threat "corbeille" when the model's engine moves it to the Trash, "définitif"
    // when it deletes it; for any other item its size.
    static QString trailingText(const ScanViewModel& model, const ScanItem& item);
    // The threat's reasons, one a line; empty for an item without threat.
    static QString reasonsText(const ScanItem& item);
    static QString riskyTip();

    ItemRow(ScanViewModel& model, const QUuid& groupID, const ScanItem& item, const ScreenServices& services,
            QWidget* parent = nullptr);

    const ScanItem& item() const { return m_item; }
    void setItem(const ScanItem& item);

    bool isHovering() const { return m_hovering; }
    void setHovering(bool hovering);

    // The row's context menu, as the right click opens it: "Afficher dans le Finder" (objectName
    // "revealAction"), a separator, "Exclure de toutes les analyses" ("excludeAction").
    QMenu* makeContextMenu(QWidget* parent);

    void revealInFinder();
    void openProvenance();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showItem(bool newItem);

    ScanViewModel& m_model;
    QUuid m_groupID;
    ScanItem m_item;
    const ScreenServices& m_services;
    bool m_hovering = false;

    BoxButton* m_box;
    QLabel* m_icon;
    ElidedLabel* m_name;
    SeverityChip* m_chip;
    SymbolView* m_risky;
    ElidedLabel* m_detail;
    QWidget* m_hoverButtons;
    SymbolButton* m_info;
    SymbolButton* m_reveal;
    TextLabel* m_route;
    TextLabel* m_size;
};
