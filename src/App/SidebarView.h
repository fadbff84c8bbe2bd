#pragma once

#include "Core/ModuleID.h"

#include <QFont>
#include <QWidget>

class AppState;
class DiskFooter;
class QListWidget;

// The sidebar: every module in its section, each row with its symbol, title and the count
// of its scan results, and the startup-disk footer. Selecting a row sets the app-wide selection; the rows
// are redrawn whenever the app-wide state publishes.
class SidebarView final : public QWidget
{
    Q_OBJECT

public:
    explicit SidebarView(AppState& state, QWidget* parent = nullptr);

    // The badge of a row: the module's item count while its results are shown, else 0.
    static int badgeCount(AppState& state, ModuleID module);

    QListWidget* list() const { return m_list; }

    // Where a row's title goes: from `titleLeading` to the row's end less `titleTrailing`, or less
    // `badgeRoom(count)` when the row shows a count. A title longer than that ends in "…". The sidebar is wide
    // enough for every title beside a three-digit count.
    static constexpr int titleLeading = 42;
    static constexpr int titleTrailing = 12;
    static constexpr int badgeTrailing = 14;
    static int badgeRoom(int count);
    static const QFont& titleFont();
    static const QFont& badgeFont();

private:
    void refresh();

    AppState& m_state;
    QListWidget* m_list;
    DiskFooter* m_footer;
};
