#pragma once

#include "Core/SystemSnapshot.h"
#include "Look/StatTile.h"
#include "Performance/OptimizationService.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <array>

class OptimizationViewModel;
class QVBoxLayout;
class StyledButton;

namespace Modules {
class AppFigures;
}
namespace Platform {
class Workspace;
}

// The optimisation screen: the machine's figures ("processorTile", "memoryTile", "agentsTile"), the diagnosis
// (its button "diagnoseButton" or its progress "diagnosisProgress", then "diagnosisHealthy" or one
// "findingBanner" per finding), the heaviest applications (at most twelve "heavyAppRow", each with
// "quitButton") and the startup items ("launchItemRow", with "disableButton" for property lists), above which a
// refused removal shows "removalNotice". It refreshes when it appears with no startup items listed.
class OptimizationView final : public QWidget
{
    Q_OBJECT

public:
    OptimizationView(OptimizationViewModel& model, Platform::Workspace& workspace, const Modules::AppFigures& figures,
                     QWidget* parent = nullptr);

    OptimizationViewModel& model() const { return m_model; }

    // The three tiles for a reading and a number of startup items.
    static std::array<StatTile::Fields, 3> tiles(const SystemSnapshot& snapshot, qsizetype launchItemCount);
    // "12.3 % CPU": one decimal, a point as the mark.
    static QString cpuText(double cpu);
    // Whether the processor figure is highlighted: strictly above 40 %.
    static bool isCpuHigh(double cpu);

    // Quits the row's application.
    void quit(const OptimizationService::HeavyApp& app);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showFigures();
    void showDiagnosis();
    void showHeavyApps();
    void showLaunchItems();
    void showNotice();

    OptimizationViewModel& m_model;
    Platform::Workspace& m_workspace;
    const Modules::AppFigures& m_figures;
    std::array<StatTile*, 3> m_tiles{};
    QWidget* m_diagnoseControl = nullptr;
    StyledButton* m_diagnoseButton = nullptr;
    QWidget* m_progress = nullptr;
    QVBoxLayout* m_banners = nullptr;
    QVBoxLayout* m_heavyRows = nullptr;
    QVBoxLayout* m_launchRows = nullptr;
    QVBoxLayout* m_noticeSlot = nullptr;
};
