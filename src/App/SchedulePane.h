#pragma once

#include "App/SettingsPane.h"

class QCheckBox;
class QComboBox;
class SchedulePaneViewModel;
class StyledButton;

// The "Planification" settings page: a reminder that nothing runs while the program is closed, the periodic run's
// switch with its next date, its interval and module, cleaning and notifying, the last outcome with the run on
// demand, and the way to the Shortcuts app. Redrawn from its model at every change of the preferences and of the
// scheduler.
class SchedulePane final : public SettingsPane
{
    Q_OBJECT

public:
    explicit SchedulePane(SchedulePaneViewModel& model, QWidget* parent = nullptr);

    void refresh();

    SettingRow* enabledRow() const { return m_enabledRow; }
    SettingRow* outcomeRow() const { return m_outcomeRow; }
    QComboBox* intervalPicker() const { return m_interval; }
    QComboBox* modulePicker() const { return m_module; }
    StyledButton* runNowButton() const { return m_runNow; }

protected:
    // The next run is worked out again each time the page comes into view.
    void showEvent(QShowEvent* event) override;

private:
    SchedulePaneViewModel& m_model;
    QCheckBox* m_enabled;
    QComboBox* m_interval;
    QComboBox* m_module;
    QCheckBox* m_cleans;
    QCheckBox* m_notifies;
    SettingRow* m_enabledRow;
    SettingRow* m_outcomeRow;
    StyledButton* m_runNow;
};
