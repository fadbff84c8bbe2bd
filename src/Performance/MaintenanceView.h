#pragma once

#include <QWidget>

#include <vector>

class MaintenanceViewModel;
class StyledButton;
class TextLabel;

namespace MaintenanceScreen {
class TaskRow;
}

// The maintenance screen: the seven tasks to tick, their outcomes, the selection counter and the run button.
class MaintenanceView final : public QWidget
{
    Q_OBJECT

public:
    explicit MaintenanceView(MaintenanceViewModel& model, QWidget* parent = nullptr);

    MaintenanceViewModel& model() const { return m_model; }

private:
    void refresh();

    MaintenanceViewModel& m_model;
    std::vector<MaintenanceScreen::TaskRow*> m_rows;
    TextLabel* m_counter = nullptr;
    StyledButton* m_runButton = nullptr;
};
