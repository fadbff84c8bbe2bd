#pragma once

#include "Core/InstalledApp.h"
#include "Tools/UninstallerViewModel.h"

#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <optional>

class AppDetail;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QListView;
class QStackedWidget;
class QVBoxLayout;
class StyledButton;
namespace Platform {
class Ask;
class Workspace;
} // namespace Platform
namespace UninstallerList {
class Rows;
}

// The uninstaller screen: the installed applications (Apple's excepted) with their total size, searched and
// filtered, the selected one's detail, and the confirmation before an uninstall. It owns nothing but its
// widgets: the model is handed in (and parented to the screen by whoever builds it).
class UninstallerView final : public QWidget
{
    Q_OBJECT

public:
    UninstallerView(UninstallerViewModel& model, Platform::Workspace& workspace, Platform::Ask& ask,
                    QWidget* parent = nullptr);

    UninstallerViewModel& model() { return *m_model; }
    // The pane shown for the selected application; null when nothing is selected.
    AppDetail* detail() const { return m_detail; }

    // Asks whether to uninstall `app`, saying what goes with the model's current choice, and starts the
    // uninstall with that very choice when confirmed.
    void requestUninstall(const InstalledApp& app);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void refreshDetail();

    QPointer<UninstallerViewModel> m_model;
    Platform::Workspace& m_workspace;
    Platform::Ask& m_ask;
    StyledButton* m_refresh = nullptr;
    QVBoxLayout* m_bannerSlot = nullptr;
    QWidget* m_banner = nullptr;
    QString m_bannerKey; // the notice the banner shows
    QStackedWidget* m_pages = nullptr;
    QWidget* m_loadingPage = nullptr;
    QWidget* m_emptyPage = nullptr;
    QWidget* m_listPage = nullptr;
    QLabel* m_status = nullptr;
    QLineEdit* m_search = nullptr;
    QList<QAbstractButton*> m_filters;
    QLabel* m_count = nullptr;
    QListView* m_list = nullptr;
    UninstallerList::Rows* m_rows = nullptr;
    QStackedWidget* m_detailStack = nullptr;
    QWidget* m_placeholder = nullptr;
    AppDetail* m_detail = nullptr;
    std::optional<QUuid> m_detailID;
};
