#pragma once

#include "App/SettingsPane.h"

class GeneralPaneViewModel;
class NoticeBanner;
class QCheckBox;
class QSlider;

// The "Général" settings page: the menu-bar item, the snapshot before each cleaning, the disk-fill warning and,
// while it is on, its threshold; below them, where this run cannot deliver notifications, a warning banner.
// Redrawn from its model at every change of the preferences.
class GeneralPane final : public SettingsPane
{
    Q_OBJECT

public:
    explicit GeneralPane(GeneralPaneViewModel& model, QWidget* parent = nullptr);

    void refresh();

    SettingRow* thresholdRow() const { return m_thresholdRow; }
    QSlider* slider() const { return m_slider; }
    NoticeBanner* banner() const { return m_banner; }

private:
    GeneralPaneViewModel& m_model;
    QCheckBox* m_menuBarItem;
    QCheckBox* m_snapshot;
    QCheckBox* m_diskPressure;
    QSlider* m_slider;
    SettingRow* m_thresholdRow;
    NoticeBanner* m_banner;
};
