#include "Scan/Screen/ScanModuleView.h"

#include "Look/EmptyStateView.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/StyledButton.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Scan/Screen/CleaningState.h"
#include "Scan/Screen/FinishedState.h"
#include "Scan/Screen/IdleState.h"
#include "Scan/Screen/ResultsState.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/Screen/ScanningState.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int spacing = 18;

// A widget on its way out may be the sender of the change that removes it, so it is hidden now and deleted
// once the change is over.
void retire(QWidget* widget)
{
    widget->hide();
    widget->deleteLater();
}

} // namespace

QString ScanModuleView::unavailableText()
{
    return u"Ce module n'est pas encore disponible."_s;
}

ScanModuleView::ScanModuleView(ModuleID module, ScanViewModel* model, bool hasFullDiskAccess,
                               Platform::Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_module(module), m_model(model), m_services{workspace, {}}, m_column(new QVBoxLayout(this)),
      m_header(new ModuleHeader(module)), m_notices(new QWidget), m_noticeColumn(new QVBoxLayout(m_notices))
{
    setObjectName(u"scanModuleView"_s);
    m_column->setContentsMargins(ModuleHeader::screenMargins());
    m_column->setSpacing(spacing);
    m_column->addWidget(m_header);

    if (!m_model) {
        auto* unavailable = new TextLabel(unavailableText(), Theme::systemFont(14), Paint::Ink::secondary);
        unavailable->setObjectName(u"unavailableNotice"_s);
        m_column->addWidget(unavailable);
        m_column->addStretch(1);
        delete m_notices;
        m_notices = nullptr;
        m_noticeColumn = nullptr;
        return;
    }

    m_noticeColumn->setContentsMargins(0, 0, 0, 0);
    m_noticeColumn->setSpacing(spacing);
    // Access granted while the program runs is seen at its next start, so the notice is decided once.
    if (m_model->scanner().requiresFullDiskAccess() && !hasFullDiskAccess) {
        auto* notice = new NoticeBanner(NoticeBanner::Kind::warning, u"Accès complet au disque requis"_s,
                                        u"Sans cette autorisation, ce module ne verra qu'une partie de vos fichiers."_s,
                                        u"Ouvrir les réglages"_s,
                                        [this] { m_services.workspace.open(Platform::fullDiskAccessSettingsURL()); });
        notice->setObjectName(u"fullDiskAccessNotice"_s);
        m_noticeColumn->addWidget(notice);
    }
    m_column->addWidget(m_notices);

    connect(m_model, &ScanViewModel::changed, this, &ScanModuleView::refresh);
    refresh();
}

ScanModuleView::~ScanModuleView() = default;

void ScanModuleView::setProvenanceOpener(ProvenanceOpener open)
{
    m_services.openProvenance = std::move(open);
}

ScanModuleView::Shown ScanModuleView::wantedView() const
{
    switch (m_model->phase()) {
    case ScanViewModel::Phase::idle:
        return Shown::idle;
    case ScanViewModel::Phase::scanning:
        return Shown::scanning;
    case ScanViewModel::Phase::results:
        return m_model->groups().isEmpty() ? Shown::emptyResult : Shown::results;
    case ScanViewModel::Phase::cleaning:
        return Shown::cleaning;
    case ScanViewModel::Phase::finished:
        return Shown::finished;
    }
    return Shown::idle;
}

void ScanModuleView::refresh()
{
    const Shown wanted = wantedView();
    const bool toolbar = wanted == Shown::results;
    if (toolbar != (m_header->trailing() != nullptr)) {
        if (toolbar) {
            auto* buttons = new QWidget;
            auto* row = new QHBoxLayout(buttons);
            row->setContentsMargins(0, 0, 0, 0);
            row->setSpacing(8);
            auto* all = new StyledButton(u"Tout cocher"_s, QuietButtonStyle{});
            all->setObjectName(u"selectAllButton"_s);
            auto* none = new StyledButton(u"Tout décocher"_s, QuietButtonStyle{});
            none->setObjectName(u"deselectAllButton"_s);
            connect(all, &QAbstractButton::clicked, this, [this] { m_model->setAllSelected(true); });
            connect(none, &QAbstractButton::clicked, this, [this] { m_model->setAllSelected(false); });
            row->addWidget(all, 0, Qt::AlignVCenter);
            row->addWidget(none, 0, Qt::AlignVCenter);
            m_header->setTrailing(buttons);
            buttons->show();
        } else {
            m_header->trailing()->hide();
            m_header->setTrailing(nullptr);
        }
    }

    showAdvisories();

    if (wanted != m_shown) {
        if (m_phaseView) {
            // Views that watch the model themselves stop now, not when they are deleted.
            m_model->disconnect(m_phaseView);
            for (QObject* child : m_phaseView->findChildren<QObject*>())
                m_model->disconnect(child);
            m_column->removeWidget(m_phaseView);
            retire(m_phaseView);
        }
        m_shown = wanted;
        m_phaseView = makeView(wanted);
        m_column->addWidget(m_phaseView, 1);
        // Shown now rather than when the layout gets to it, so that the screen never draws without a phase.
        m_phaseView->show();
        return;
    }
    if (auto* scanning = qobject_cast<ScanningState*>(m_phaseView))
        scanning->setProgress(m_model->progress(), m_model->status());
    else if (auto* cleaning = qobject_cast<CleaningState*>(m_phaseView))
        cleaning->setProgress(m_model->progress(), m_model->status());
}

void ScanModuleView::showAdvisories()
{
    const QList<Advisory>& advisories = m_model->advisories();
    QList<QUuid> ids;
    for (const Advisory& advisory : advisories)
        ids.append(advisory.id);
    if (ids != m_advisoryIDs)
        rebuildAdvisories(advisories, ids);
    m_notices->setVisible(m_noticeColumn->count() > 0);
}

void ScanModuleView::rebuildAdvisories(const QList<Advisory>& advisories, const QList<QUuid>& ids)
{
    for (QWidget* notice : std::as_const(m_advisoryNotices)) {
        m_noticeColumn->removeWidget(notice);
        retire(notice);
    }
    m_advisoryNotices.clear();
    for (const Advisory& advisory : advisories) {
        std::function<void()> action;
        if (advisory.settingsURL)
            action = [this, url = *advisory.settingsURL] { m_services.workspace.open(url); };
        auto* notice = new NoticeBanner(NoticeBanner::Kind::warning, advisory.title, advisory.message,
                                        advisory.actionTitle, std::move(action));
        notice->setObjectName(u"advisoryNotice"_s);
        m_noticeColumn->addWidget(notice);
        notice->show();
        m_advisoryNotices.append(notice);
    }
    m_advisoryIDs = ids;
}

QWidget* ScanModuleView::makeView(Shown view)
{
    switch (view) {
    case Shown::none:
    case Shown::idle:
        return new IdleState(m_module, [this] { m_model->scan(); });
    case Shown::scanning:
        return new ScanningState(m_model->progress(), m_model->status(), [this] { m_model->cancel(); });
    case Shown::results:
        return new ResultsState(*m_model, m_services);
    case Shown::emptyResult:
        return makeEmptyResult();
    case Shown::cleaning:
        return new CleaningState(m_model->progress(), m_model->status(), Theme::tint(m_module));
    case Shown::finished:
        return new FinishedState(*m_model);
    }
    return nullptr;
}

QWidget* ScanModuleView::makeEmptyResult()
{
    auto* empty = new QWidget;
    empty->setObjectName(u"emptyResult"_s);
    empty->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* stack = new QGridLayout(empty);
    stack->setContentsMargins(0, 0, 0, 0);
    const ModuleScanner& scanner = m_model->scanner();
    stack->addWidget(new EmptyStateView(sfSymbol(u"checkmark.seal"), scanner.emptyTitle(), scanner.emptyMessage(),
                                        Theme::tint(m_module)),
                     0, 0);
    // Over the empty state, 30 points above its bottom edge.
    auto* over = new QVBoxLayout;
    over->setContentsMargins(0, 0, 0, 30);
    over->addStretch(1);
    auto* again = new StyledButton(u"Analyser à nouveau"_s, QuietButtonStyle{});
    again->setObjectName(u"rescanButton"_s);
    connect(again, &QAbstractButton::clicked, this, [this] { m_model->scan(); });
    over->addWidget(again, 0, Qt::AlignHCenter);
    stack->addLayout(over, 0, 0);
    return empty;
}
