#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QAbstractButton;
class QComboBox;
class QListView;
class ShredderDropZone;
class ShredderViewModel;
namespace Platform {
class OpenPanel;
class Workspace;
} // namespace Platform

namespace Shredder {

class Rows;

// The queue's rows carry, under this role, why the last job left an item in place (French), if it did.
inline constexpr int failureRole = Qt::UserRole + 1;

// Asks the user to confirm a destructive step, window-modal; the answer comes through the callback, never
// through a nested event loop.
using Confirm = std::function<void(const QString& title, const QString& message, const QString& destructiveButton,
                                   std::function<void(bool accepted)>)>;

struct Alert {
    QString title;
    QString message;
};
// The confirmation's texts for `count` items totalling `bytes`, overwritten `passes` times.
Alert confirmationTexts(int count, qint64 bytes, int passes);

} // namespace Shredder

// The shredder screen: a warning, a drop zone that also offers the open panel, the queue, and the bar that
// picks the passes and starts the job after a confirmation. The queue is one list view whose rows are drawn as
// they come into view, so a drop of thousands of files costs what is shown.
class ShredderView final : public QWidget
{
    Q_OBJECT

public:
    ShredderView(ShredderViewModel& model, Platform::Workspace& workspace, Platform::OpenPanel& openPanel,
                 Shredder::Confirm confirm, QWidget* parent = nullptr);

    // Asks for confirmation and starts the job when given.
    void requestShred();
    void browse();

private:
    void refresh();

    QPointer<ShredderViewModel> m_model;
    Platform::Workspace& m_workspace;
    Platform::OpenPanel& m_openPanel;
    Shredder::Confirm m_confirm;
    ShredderDropZone* m_dropZone = nullptr;
    QAbstractButton* m_clear = nullptr;
    QWidget* m_listCard = nullptr;
    QListView* m_list = nullptr;
    Shredder::Rows* m_rows = nullptr;
    qsizetype m_laidOutFailures = 0; // the failures the list's row heights were last laid out with
    QWidget* m_bar = nullptr;
    QLabel* m_total = nullptr;
    QComboBox* m_passes = nullptr;
    QWidget* m_report = nullptr;
    QLabel* m_reportText = nullptr;
    QAbstractButton* m_shred = nullptr;
};
