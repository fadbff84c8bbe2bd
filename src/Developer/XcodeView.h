#pragma once

#include "Developer/XcodeService.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <optional>

class QLabel;
class QProgressBar;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class XcodeSection;
class StatTile;
class StyledButton;
class TextLabel;
class XcodeViewModel;

// The "Xcode et simulateurs" screen: what the simulator tool and the archives folder hold, three size tiles,
// a section of selectable rows per kind, and the footer with the run's progress, its result, at most three
// failure lines, the selection and "Supprimer". Everything shown comes from the model; the first showing
// loads it.
class XcodeView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int shownFailures = 3;

    explicit XcodeView(XcodeViewModel& model, QWidget* parent = nullptr);

    XcodeViewModel* model() const { return m_model; }
    QList<XcodeSection*> sections() const { return m_sections; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Page { loading, noTools, nothing, inventory };

    QWidget* makeLoadingPage();
    QWidget* makeInventoryPage();
    void refresh();
    void rebuildSections();
    void showBands();
    void showEmpty(Page page);

    QPointer<XcodeViewModel> m_model;
    StyledButton* m_recommended;
    QStackedWidget* m_pages;
    QWidget* m_loadingPage;
    QWidget* m_emptyPage;
    QWidget* m_emptyState = nullptr;
    std::optional<Page> m_emptyShown;
    QWidget* m_inventoryPage;
    StatTile* m_devicesTile = nullptr;
    StatTile* m_runtimesTile = nullptr;
    StatTile* m_archivesTile = nullptr;
    QWidget* m_refreshing = nullptr;
    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_sectionsLayout = nullptr;
    QList<XcodeSection*> m_sections;
    std::optional<XcodeService::Inventory> m_shownInventory;
    QWidget* m_progressBlock = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QWidget* m_resultLine = nullptr;
    QLabel* m_resultText = nullptr;
    QList<QWidget*> m_failureLines;
    QList<QLabel*> m_failureTexts;
    TextLabel* m_selection = nullptr;
    StyledButton* m_selectNone = nullptr;
    StyledButton* m_remove = nullptr;
};
