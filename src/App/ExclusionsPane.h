#pragma once

#include <QHash>
#include <QScrollArea>
#include <QString>
#include <QWidget>

class ElidedLabel;
class ExclusionsPaneViewModel;
class QLabel;
class QStackedLayout;
class StyledButton;
class SymbolButton;
class TextLabel;

namespace Platform {
class Workspace;
}

// One excluded location in the list: its icon (faded when nothing is there any more), its name and "~" path,
// "absent" when it is gone, and, while the pointer is over it, the buttons that show it in the file manager and
// stop excluding it. A click selects it. Whether its path exists is asked again at each refresh and hover.
class ExclusionRow final : public QWidget
{
    Q_OBJECT

public:
    ExclusionRow(ExclusionsPaneViewModel& model, Platform::Workspace& workspace, const QString& path,
                 QWidget* parent = nullptr);

    QString path() const { return m_path; }
    bool exists() const { return m_exists; }
    bool isHovering() const { return m_hovering; }
    bool isSelected() const { return m_selected; }
    void refresh();

    static int rowHeight(); // the row with its divider

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);

    ExclusionsPaneViewModel& m_model;
    Platform::Workspace& m_workspace;
    QString m_path;
    bool m_exists = true;
    bool m_hovering = false;
    bool m_selected = false;
    ElidedLabel* m_name;
    ElidedLabel* m_place;
    TextLabel* m_absent;
    SymbolButton* m_reveal;
    SymbolButton* m_remove;
};

// The scrolling list of excluded locations. Its rows are made only for the part of the list in view (with a
// screenful above and below) and let go as they leave it, so a long list costs what is shown.
class ExclusionList final : public QScrollArea
{
    Q_OBJECT

public:
    ExclusionList(ExclusionsPaneViewModel& model, Platform::Workspace& workspace, QWidget* parent = nullptr);

    void refresh();
    // The rows that exist now, in list order.
    QList<ExclusionRow*> rows() const;
    ExclusionRow* row(const QString& path) const { return m_rows.value(path); }

protected:
    // The viewport narrows when the scroll bar appears, without the list itself changing size.
    bool viewportEvent(QEvent* event) override;

private:
    void placeRows();

    ExclusionsPaneViewModel& m_model;
    Platform::Workspace& m_workspace;
    QWidget* m_canvas;
    QStringList m_paths;
    QHash<QString, ExclusionRow*> m_rows;
};

// The "Exclusions" settings page: a header, the list of excluded locations (or its empty state), and a footer to add
// ("Ajouter…", through the open panel), remove the selected one, count and remove them all. The whole page takes
// drops of files and folders, outlined while such a drag hovers over it. Redrawn at every change of the list.
class ExclusionsPane final : public QWidget
{
    Q_OBJECT

public:
    ExclusionsPane(ExclusionsPaneViewModel& model, Platform::Workspace& workspace, QWidget* parent = nullptr);

    void refresh();

    bool isTargeted() const { return m_targeted; }
    ExclusionList* list() const { return m_list; }
    QWidget* emptyState() const { return m_empty; }
    QLabel* countLabel() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Each time the page comes into view its rows look again at what exists.
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setTargeted(bool targeted);

    ExclusionsPaneViewModel& m_model;
    QStackedLayout* m_body;
    QWidget* m_empty;
    ExclusionList* m_list;
    StyledButton* m_removeSelected;
    TextLabel* m_count;
    StyledButton* m_removeAll;
    QWidget* m_outline;
    bool m_targeted = false;
};
