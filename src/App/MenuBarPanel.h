#pragma once

#include "Core/SystemSnapshot.h"

#include <QString>
#include <QWidget>

#include <functional>

class AppState;
class History;
class QLabel;

// The content of the menu-bar extra: the journal's total, the startup disk's fill with its gauge, and four
// actions (open the main window, start a smart scan, open the cleaning history, quit). It reads the app-wide
// state and the journal and changes nothing but the selection and the smart scan it starts. Each time it is
// shown it first takes one reading of the machine, since the monitor stops while the main window is closed.
class MenuBarPanel final : public QWidget
{
    Q_OBJECT

public:
    // Opens the window with this identifier ("main" or "history"), bringing it and the application forward.
    using WindowOpener = std::function<void(const QString& identifier)>;

    static constexpr int panelWidth = 268;

    struct DiskFigures {
        double used = 0; // share of the disk in use, 0 for an unreadable disk and never below 0
        int percent = 0; // truncated toward zero
        bool nearlyFull = false;
        QString percentText; // "87 %"
        QString freeText;    // "12,5 Go disponibles"
    };
    static DiskFigures diskFigures(const SystemSnapshot& snapshot);
    // "Aucun nettoyage enregistré" for an empty journal, else the total the journal freed.
    static QString journalLine(const History& history);

    MenuBarPanel(AppState& state, History& history, WindowOpener openWindow, std::function<void()> quit,
                 QWidget* parent = nullptr);

    const DiskFigures& shownDisk() const { return m_disk; }
    QString shownJournalLine() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshFigures();
    void startSmartScan();

    AppState& m_state;
    History& m_history;
    WindowOpener m_openWindow;
    std::function<void()> m_quit;
    QLabel* m_journal;
    QWidget* m_diskBlock;
    DiskFigures m_disk;
};
