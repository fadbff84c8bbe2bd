#pragma once

#include "Core/ModuleID.h"
#include "Core/ScanModel.h"
#include "Scan/Screen/ScreenServices.h"

#include <QList>
#include <QUuid>
#include <QWidget>

#include <functional>

class ModuleHeader;
class QVBoxLayout;
class ScanViewModel;

namespace Platform {
class Workspace;
}

// The screen of a cleaning module that has no screen of its own. Top to bottom: the module header, with the
// select-all buttons ("selectAllButton", "deselectAllButton") while results are shown; the Full Disk Access
// notice ("fullDiskAccessNotice") when the scanner needs an access the user has not granted; one notice per
// advisory of the scanner ("advisoryNotice"); and the view of the model's phase: idle, scanning, results (or the
// empty result, "emptyResult", with "rescanButton"), cleaning or finished.
//
// The screen starts nothing and stops nothing by itself: the model, which outlives it and must stay alive as
// long as it, keeps the phase, the results and the selection while the screen is away. A module whose scanner
// is not built yet comes with no model and shows only that it is not available ("unavailableNotice").
class ScanModuleView final : public QWidget
{
    Q_OBJECT

public:
    using ProvenanceOpener = std::function<void(QWidget* anchor, const ScanItem& item)>;

    ScanModuleView(ModuleID module, ScanViewModel* model, bool hasFullDiskAccess, Platform::Workspace& workspace,
                   QWidget* parent = nullptr);
    ~ScanModuleView() override;

    ModuleID module() const { return m_module; }
    ScanViewModel* model() const { return m_model; }
    // The phase view shown now; nothing for a module without a model.
    QWidget* phaseView() const { return m_phaseView; }

    // How the rows open an item's provenance card; until one is given they offer no info button.
    void setProvenanceOpener(ProvenanceOpener open);

    static QString unavailableText();

private:
    enum class Shown { none, idle, scanning, results, emptyResult, cleaning, finished };

    void refresh();
    void showAdvisories();
    void rebuildAdvisories(const QList<Advisory>& advisories, const QList<QUuid>& ids);
    Shown wantedView() const;
    QWidget* makeView(Shown view);
    QWidget* makeEmptyResult();

    ModuleID m_module;
    ScanViewModel* m_model;
    ScreenServices m_services;
    QVBoxLayout* m_column;
    ModuleHeader* m_header;
    QWidget* m_notices;
    QVBoxLayout* m_noticeColumn;
    QList<QWidget*> m_advisoryNotices;
    QList<QUuid> m_advisoryIDs;
    Shown m_shown = Shown::none;
    QWidget* m_phaseView = nullptr;
};
