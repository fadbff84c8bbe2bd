#pragma once

#include <QString>
#include <QWidget>

class QScrollArea;
class QVBoxLayout;
class ScanViewModel;
class SmartScanContent;
class SmartScanFigures;
class SmartScanGroupSummary;

namespace Modules {
class AppFigures;
}

namespace Platform {
class Workspace;
}

// The smart scan's dashboard, in a scroll area: the module header with the system version ("versionPill"); the
// Full Disk Access warning ("fullDiskAccessNotice") in every phase while access is missing; the summary card
// ("summaryCard") beside the machine figures (SmartScanFigures); and, while results with groups are shown, their
// summary (SmartScanGroupSummary).
//
// The card holds the content of the model's phase: "idleContent" ("scanButton"), "scanningContent"
// ("scanPercent", "scanStatus", "cancelButton"), "emptyContent" ("rescanButton"), "resultsContent" ("gaugeValue",
// "gaugeUnit", "recoverableLine", "cleanButton", "rescanButton"), "cleaningContent" ("cleaningPercent",
// "cleaningStatus") or "finishedContent" ("freedLine", "ignoredLine", "safetyNetNotice", "newScanButton"). It is
// built anew only when the phase, or whether the results are empty, changes; otherwise it is updated in place, and
// a new reading of the machine touches the figures alone, so that the spinner and the halo never start over.
//
// The screen starts nothing by itself and shows the model as it finds it; the model, which outlives the screen,
// must live as long as it, and so must the workspace and the figures.
class SmartScanView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int spacing = 18;
    static constexpr int cardPadding = 20;
    static constexpr int cardInset = 34;
    static constexpr int contentSpacing = 20;
    static constexpr int ringSide = 200;
    static constexpr qreal ringLineWidth = 13;
    static constexpr int statusWidth = 380;
    static constexpr int invitationWidth = 360;

    // "récupérables sur N élément", the singular below 2.
    static QString recoverableText(qsizetype itemCount);
    // "N élément ignoré", the singular below 2.
    static QString ignoredText(qsizetype failureCount);
    // The status line: the model's status, else "Analyse…" while scanning or "Suppression…" while cleaning.
    static QString statusText(const QString& status, bool cleaning);

    SmartScanView(ScanViewModel& model, bool hasFullDiskAccess, Platform::Workspace& workspace,
                  const Modules::AppFigures& figures, QWidget* parent = nullptr);
    ~SmartScanView() override;

    ScanViewModel& model() const { return m_model; }
    // The content the summary card shows now.
    QWidget* cardContent() const;
    SmartScanFigures* figuresColumn() const { return m_figures; }
    SmartScanGroupSummary* groupSummary() const { return m_groups; }
    QScrollArea* scrollArea() const { return m_scroll; }

private:
    enum class Shown { none, idle, scanning, emptyResult, results, cleaning, finished };
    Shown wantedContent() const;
    SmartScanContent* makeContent(Shown shown);
    void refresh();

    ScanViewModel& m_model;
    Platform::Workspace& m_workspace;
    QScrollArea* m_scroll;
    QVBoxLayout* m_cardColumn;
    SmartScanFigures* m_figures;
    SmartScanGroupSummary* m_groups;
    Shown m_shown = Shown::none;
    SmartScanContent* m_content = nullptr;
    qint64 m_freedSeen = 0; // the model's freed bytes when the figures last heard of them
};

// The smart scan's screen as the main window shows it: the dashboard around `model`, or, while the smart scan has
// no model (no scanner yet), the line saying that the module is not available.
QWidget* makeSmartScanScreen(ScanViewModel* model, bool hasFullDiskAccess, Platform::Workspace& workspace,
                             const Modules::AppFigures& figures, QWidget* parent = nullptr);
