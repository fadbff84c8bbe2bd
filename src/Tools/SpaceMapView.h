#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QStackedWidget;
class ElidedLabel;
class SpaceMapViewModel;
class StyledButton;
class SymbolView;
class TextLabel;
class TreemapCanvas;

namespace Platform {
class OpenPanel;
class Workspace;
} // namespace Platform

// The disk map's screen: the module header with "Dossier personnel" and "Choisir un dossier…", then the start
// state, the measurement under way, or the current folder as a treemap between its path bar and an information
// bar. Each visit gets a new model, so each visit starts afresh.
class SpaceMapView final : public QWidget
{
    Q_OBJECT

public:
    SpaceMapView(SpaceMapViewModel& model, Platform::Workspace& workspace, Platform::OpenPanel& openPanel,
                 QWidget* parent = nullptr);

    SpaceMapViewModel& model() const { return *m_model; }
    TreemapCanvas& canvas() const { return *m_canvas; }

    // Asks for a folder through the open panel and measures it when one is chosen.
    void chooseFolder();

private:
    void refresh();
    void rebuildPathBar();
    QWidget* makeStartState();
    QWidget* makeScanningState();
    QWidget* makeExploringState();

    Platform::Workspace& m_workspace;
    Platform::OpenPanel& m_openPanel;
    SpaceMapViewModel* m_model;

    QStackedWidget* m_states = nullptr;
    QWidget* m_start = nullptr;
    QWidget* m_scanning = nullptr;
    QWidget* m_exploring = nullptr;
    ElidedLabel* m_status = nullptr;
    QHBoxLayout* m_pathBar = nullptr;
    TextLabel* m_currentSize = nullptr;
    TreemapCanvas* m_canvas = nullptr;
    QWidget* m_hoveredRow = nullptr;
    SymbolView* m_hoveredSymbol = nullptr;
    TextLabel* m_hoveredName = nullptr;
    TextLabel* m_hoveredSize = nullptr;
    TextLabel* m_hoveredShare = nullptr;
    TextLabel* m_hint = nullptr;
    StyledButton* m_up = nullptr;
    quint64 m_pathFor = 0;
};

// The screen of the "spaceMap" module, on a new model that it owns.
QWidget* makeSpaceMapScreen(Platform::Workspace& workspace, Platform::OpenPanel& openPanel, QWidget* parent = nullptr);
