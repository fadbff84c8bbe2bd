#pragma once

#include <QUuid>
#include <QWidget>

#include <vector>

class QScrollArea;
class QStackedLayout;
class StyledButton;
class TextLabel;
class UpdaterViewModel;

namespace Platform {
class Workspace;
}

namespace UpdatesScreen {
class UpdateRow;
}

// The updates screen: the check button in the header, then the running check's stage, the updates found in
// two groups (installable from here, to update elsewhere), or the empty state. Nothing runs until the user asks.
class UpdaterView final : public QWidget
{
    Q_OBJECT

public:
    UpdaterView(UpdaterViewModel& model, Platform::Workspace& workspace, QWidget* parent = nullptr);

    UpdaterViewModel& model() const { return m_model; }

private:
    void refresh();
    void rebuildList();

    UpdaterViewModel& m_model;
    Platform::Workspace& m_workspace;
    StyledButton* m_checkButton = nullptr;
    QStackedLayout* m_content = nullptr;
    QWidget* m_checking = nullptr;
    TextLabel* m_status = nullptr;
    QScrollArea* m_list = nullptr;
    QWidget* m_empty = nullptr;
    std::vector<UpdatesScreen::UpdateRow*> m_rows;
    std::vector<QUuid> m_shown; // the ids the list was built for
};
