#pragma once

#include "Core/InstalledApp.h"
#include "Core/Receipts.h"
#include "Tools/UninstallerViewModel.h"

#include <QHash>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <functional>

class QCheckBox;
class SpinnerRing;
class StyledButton;
class TextLabel;
class QVBoxLayout;
namespace Platform {
class Workspace;
}

// The uninstaller's right-hand pane for one application: who it is, its three sizes, its last opening, the
// choice to take its associated files too, what its installer declared and the associated files themselves,
// then "Afficher dans le Finder" and "Désinstaller". It keeps no state: it reads and sets the screen's model,
// asks the model to read this application's receipts once it is shown, and hands "Désinstaller" to the screen,
// which confirms.
class AppDetail final : public QWidget
{
    Q_OBJECT

public:
    AppDetail(const InstalledApp& app, UninstallerViewModel& model, Platform::Workspace& workspace,
              std::function<void()> onUninstall, QWidget* parent = nullptr);

    const InstalledApp& app() const { return m_app; }

    // The line under a package's name: "12 fichiers, dont 3 hors du bundle" or "1 fichier — tous dans le
    // bundle"; `outside` tells which (the first is drawn in amber).
    struct Summary {
        QString text;
        bool outside = false;
        friend bool operator==(const Summary&, const Summary&) = default;
    };
    static Summary traceSummary(const Receipts::Trace& trace, const QString& application);

    // The "Dernière ouverture" line's symbol: the warning clock once the application has gone unused for longer
    // than the unused filter's limit.
    static QString lastOpenedSymbol(const QDateTime& lastUsed, const QDateTime& now);

private:
    void refresh();
    void rebuildReceipts();

    InstalledApp m_app;
    QPointer<UninstallerViewModel> m_model;
    std::function<void()> m_onUninstall;
    QCheckBox* m_leftoversBox = nullptr;
    QHash<QUuid, QCheckBox*> m_leftoverBoxes; // the shared associated files' ticks, by item
    SpinnerRing* m_progress = nullptr;
    TextLabel* m_stage = nullptr;
    StyledButton* m_uninstall = nullptr;
    QWidget* m_receipts = nullptr;
    QVBoxLayout* m_receiptsLayout = nullptr;
    // What the receipts section shows now, so that it is rebuilt only when that changes.
    bool m_shownReading = false;
    QList<Receipts::Trace> m_shownTraces;
    bool m_receiptsBuilt = false;
};
