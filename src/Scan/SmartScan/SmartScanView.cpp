#include "Scan/SmartScan/SmartScanView.h"

#include "Core/SystemInfo.h"
#include "Look/Capsule.h"
#include "Look/CardModifier.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/OverlayScrollBar.h"
#include "Look/Paint.h"
#include "Look/Theme.h"
#include "Platform/Workspace.h"
#include "Scan/Screen/ScanModuleView.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/SmartScan/SmartScanCleaningContent.h"
#include "Scan/SmartScan/SmartScanEmptyContent.h"
#include "Scan/SmartScan/SmartScanFigures.h"
#include "Scan/SmartScan/SmartScanFinishedContent.h"
#include "Scan/SmartScan/SmartScanGroupSummary.h"
#include "Scan/SmartScan/SmartScanIdleContent.h"
#include "Scan/SmartScan/SmartScanResultsContent.h"
#include "Scan/SmartScan/SmartScanScanningContent.h"
#include "Scanners/ModuleRegistry.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The system version in a faint capsule, at the header's end.
Capsule* versionPill(const QString& version)
{
    Capsule::Style style;
    style.fontSize = 11;
    style.horizontalPadding = 10;
    style.verticalPadding = 5;
    style.ink = Paint::Ink::secondary;
    style.fillOpacity = 0.06;
    auto* pill = new Capsule(version, style);
    pill->setObjectName(u"versionPill"_s);
    return pill;
}

} // namespace

QString SmartScanView::recoverableText(qsizetype itemCount)
{
    return u"récupérables sur "_s + QString::number(itemCount) + (itemCount < 2 ? u" élément"_s : u" éléments"_s);
}

QString SmartScanView::ignoredText(qsizetype failureCount)
{
    return QString::number(failureCount) + (failureCount < 2 ? u" élément ignoré"_s : u" éléments ignorés"_s);
}

QString SmartScanView::statusText(const QString& status, bool cleaning)
{
    if (!status.isEmpty())
        return status;
    return cleaning ? u"Suppression…"_s : u"Analyse…"_s;
}

SmartScanView::SmartScanView(ScanViewModel& model, bool hasFullDiskAccess, Platform::Workspace& workspace,
                             const Modules::AppFigures& figures, QWidget* parent)
    : QWidget(parent), m_model(model), m_workspace(workspace), m_scroll(new QScrollArea),
      m_figures(new SmartScanFigures(figures, SystemInfo::hardwareModel())), m_groups(new SmartScanGroupSummary(model))
{
    setObjectName(u"smartScanView"_s);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    frame->addWidget(m_scroll);

    auto* page = new QWidget;
    page->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(ModuleHeader::screenMargins());
    column->setSpacing(spacing);
    column->addWidget(new ModuleHeader(ModuleID::smartScan, versionPill(SystemInfo::osVersionString())));

    // Access granted while the program runs is seen at its next start, so the warning is decided once.
    if (!hasFullDiskAccess) {
        auto* notice = new NoticeBanner(
            NoticeBanner::Kind::warning, u"Accès complet au disque non accordé"_s,
            u"Les modules Mail, Confidentialité et une partie des caches resteront invisibles tant que "
            u"l'autorisation n'est pas donnée dans Réglages Système › Confidentialité et sécurité."_s,
            u"Ouvrir les réglages"_s, [this] { m_workspace.open(Platform::fullDiskAccessSettingsURL()); });
        notice->setObjectName(u"fullDiskAccessNotice"_s);
        column->addWidget(notice);
    }

    auto* row = new QHBoxLayout;
    row->setSpacing(spacing);
    auto* body = new QWidget;
    m_cardColumn = new QVBoxLayout(body);
    m_cardColumn->setContentsMargins(0, cardInset, 0, cardInset);
    m_cardColumn->setSpacing(0);
    auto* summary = card(body, cardPadding);
    summary->setObjectName(u"summaryCard"_s);
    summary->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    row->addWidget(summary, 1, Qt::AlignTop);
    row->addWidget(m_figures, 0, Qt::AlignTop);
    column->addLayout(row);
    column->addWidget(m_groups);
    column->addStretch(1);
    m_scroll->setWidget(page);
    OverlayScrollBar::install(m_scroll);

    connect(&m_model, &ScanViewModel::changed, this, &SmartScanView::refresh);
    figures.onChanged(this, [this] { m_figures->refresh(); });
    refresh();
}

SmartScanView::~SmartScanView() = default;

QWidget* SmartScanView::cardContent() const
{
    return m_content;
}

SmartScanView::Shown SmartScanView::wantedContent() const
{
    switch (m_model.phase()) {
    case ScanViewModel::Phase::idle:
        return Shown::idle;
    case ScanViewModel::Phase::scanning:
        return Shown::scanning;
    case ScanViewModel::Phase::results:
        return m_model.groups().isEmpty() ? Shown::emptyResult : Shown::results;
    case ScanViewModel::Phase::cleaning:
        return Shown::cleaning;
    case ScanViewModel::Phase::finished:
        return Shown::finished;
    }
    return Shown::idle;
}

SmartScanContent* SmartScanView::makeContent(Shown shown)
{
    switch (shown) {
    case Shown::none:
    case Shown::idle:
        return new SmartScanIdleContent(m_model);
    case Shown::scanning:
        return new SmartScanScanningContent(m_model);
    case Shown::emptyResult:
        return new SmartScanEmptyContent(m_model);
    case Shown::results:
        return new SmartScanResultsContent(m_model);
    case Shown::cleaning:
        return new SmartScanCleaningContent(m_model);
    case Shown::finished:
        return new SmartScanFinishedContent(m_model);
    }
    return nullptr;
}

void SmartScanView::refresh()
{
    const Shown wanted = wantedContent();
    if (wanted != m_shown) {
        if (m_content) {
            // Its button may be the sender of the change that replaces it: it goes once the change is over.
            m_cardColumn->removeWidget(m_content);
            m_content->hide();
            m_content->deleteLater();
        }
        m_shown = wanted;
        m_content = makeContent(wanted);
        m_cardColumn->addWidget(m_content);
        m_content->show();
    } else {
        m_content->refresh();
    }

    const bool groups = wanted == Shown::results;
    if (groups)
        m_groups->refresh();
    m_groups->setVisible(groups);
    // A cleaning, or the scan after it, changes what this run freed.
    if (m_model.freedBytes() != m_freedSeen) {
        m_freedSeen = m_model.freedBytes();
        m_figures->refresh();
    }
}

QWidget* makeSmartScanScreen(ScanViewModel* model, bool hasFullDiskAccess, Platform::Workspace& workspace,
                             const Modules::AppFigures& figures, QWidget* parent)
{
    if (model == nullptr)
        return new ScanModuleView(ModuleID::smartScan, nullptr, hasFullDiskAccess, workspace, parent);
    return new SmartScanView(*model, hasFullDiskAccess, workspace, figures, parent);
}
