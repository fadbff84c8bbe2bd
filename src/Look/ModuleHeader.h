#pragma once

#include "Core/ModuleID.h"

#include <QMargins>
#include <QWidget>

class QHBoxLayout;

// The header of a module's screen: the module's icon tile (its symbol and tint, 46 points, elevated), its title
// and under it its subtitle, each on one line, then at least 20 points of room and the caller's trailing widget.
// Its height is the same on every screen, whatever the window's width and the trailing widget.
class ModuleHeader final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal tileSize = 46;
    static constexpr int minimumGap = 14 + 20 + 14; // between the texts and the trailing widget
    // The margins of the column a module's screen (or the page its scroll area holds) is laid out in: the same
    // on every screen, so that the header stands at one place whichever module is shown.
    static QMargins screenMargins() { return {26, 26, 26, 26}; }

    explicit ModuleHeader(ModuleID module, QWidget* trailing = nullptr, QWidget* parent = nullptr);

    ModuleID module() const { return m_module; }
    QWidget* trailing() const { return m_trailing; }
    // Takes `trailing` as the widget at the header's end, replacing any earlier one; nothing leaves it empty.
    void setTrailing(QWidget* trailing);

private:
    ModuleID m_module;
    QHBoxLayout* m_layout;
    QWidget* m_trailing = nullptr;
};
