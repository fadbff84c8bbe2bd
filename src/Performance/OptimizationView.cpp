#include "Performance/OptimizationView.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Look/Capsule.h"
#include "Look/CardModifier.h"
#include "Look/ElidedLabel.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/Paint.h"
#include "Look/SpinnerRing.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Performance/OptimizationViewModel.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Scanners/ModuleRegistry.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString bytes(qint64 count)
{
    return ByteCountFormatter().string(count);
}

// A widget that is hidden with the keyboard focus in it passes the focus on, and the scroll area then scrolls
// to wherever the focus lands: the page would jump away from the button just clicked. The focus is let go
// first.
void letGoOfFocus(QWidget* leaving)
{
    QWidget* focused = QApplication::focusWidget();
    if (focused != nullptr && (focused == leaving || leaving->isAncestorOf(focused)))
        focused->clearFocus();
}

// Takes every widget out of the layout at once: a row may hold the button whose click led here.
void clear(QVBoxLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            letGoOfFocus(widget);
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
}

// Adds a widget to a part of the screen that may already be on view, where a new child stays hidden unless told.
void add(QVBoxLayout* layout, QWidget* widget)
{
    layout->addWidget(widget);
    widget->show();
}

QLabel* iconLabel(const QIcon& icon, int side, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(u"rowIcon"_s);
    label->setFixedSize(side, side);
    label->setPixmap(icon.pixmap(QSize(side, side), parent ? parent->devicePixelRatioF() : 1.0));
    label->setScaledContents(true);
    return label;
}

// A section's caption above its card.
QWidget* section(const QString& title, const QString& symbol, QVBoxLayout*& rows, const QString& name)
{
    auto* block = new QWidget;
    block->setObjectName(name);
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* caption = new QHBoxLayout;
    caption->setSpacing(6);
    caption->addWidget(new SymbolView(symbol, 11, QColor()));
    caption->addWidget(new TextLabel(title, Theme::captionFont(), Paint::Ink::secondary));
    caption->addStretch();
    layout->addLayout(caption);
    auto* content = new QWidget;
    rows = new QVBoxLayout(content);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    layout->addWidget(card(content, 0));
    return block;
}

QWidget* emptyText(const QString& text, const QString& name)
{
    auto* label = new TextLabel(text, Theme::systemFont(12), Paint::Ink::tertiary);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setContentsMargins(14, 14, 14, 14);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QHBoxLayout* rowLayout(QWidget* row)
{
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 7, 12, 7);
    layout->setSpacing(10);
    return layout;
}

} // namespace

OptimizationView::OptimizationView(OptimizationViewModel& model, Platform::Workspace& workspace,
                                   const Modules::AppFigures& figures, QWidget* parent)
    : QWidget(parent), m_model(model), m_workspace(workspace), m_figures(figures)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroll);
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(ModuleHeader::screenMargins());
    layout->setSpacing(18);

    auto* refresh = new StyledButton(u"Actualiser"_s, QuietButtonStyle{});
    refresh->setObjectName(u"refreshButton"_s);
    connect(refresh, &QAbstractButton::clicked, &m_model, &OptimizationViewModel::refresh);
    layout->addWidget(new ModuleHeader(ModuleID::optimization, refresh));

    auto* figuresRow = new QHBoxLayout;
    figuresRow->setSpacing(12);
    const auto initial = tiles(SystemSnapshot{}, 0);
    const char16_t* names[] = {u"processorTile", u"memoryTile", u"agentsTile"};
    for (std::size_t i = 0; i < m_tiles.size(); ++i) {
        m_tiles[i] = new StatTile(initial[i]);
        m_tiles[i]->setObjectName(QString::fromUtf16(names[i]));
        // The three figures read as one row: a tile without a detail line is as tall as its neighbours.
        m_tiles[i]->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        figuresRow->addWidget(m_tiles[i], 1);
    }
    layout->addLayout(figuresRow);

    // The diagnosis: its header row, then its banners.
    auto* diagnosis = new QVBoxLayout;
    diagnosis->setSpacing(8);
    auto* header = new QHBoxLayout;
    header->addWidget(new SymbolView(sfSymbol(u"stethoscope"), 11, QColor()));
    header->addWidget(new TextLabel(u"Diagnostic"_s, Theme::captionFont(), Paint::Ink::secondary));
    header->addStretch();
    m_progress = new QWidget;
    m_progress->setObjectName(u"diagnosisProgress"_s);
    auto* progress = new QHBoxLayout(m_progress);
    progress->setContentsMargins(0, 0, 0, 0);
    progress->setSpacing(6);
    auto* spinner = new SpinnerRing(2);
    spinner->setFixedSize(14, 14);
    progress->addWidget(spinner);
    progress->addWidget(new TextLabel(u"Deux relevés espacés…"_s, Theme::systemFont(11), Paint::Ink::secondary));
    header->addWidget(m_progress);
    m_diagnoseButton = new StyledButton(u"Diagnostiquer"_s, QuietButtonStyle{});
    m_diagnoseButton->setObjectName(u"diagnoseButton"_s);
    connect(m_diagnoseButton, &QAbstractButton::clicked, &m_model, &OptimizationViewModel::diagnose);
    header->addWidget(m_diagnoseButton);
    diagnosis->addLayout(header);
    m_banners = new QVBoxLayout;
    m_banners->setSpacing(8);
    diagnosis->addLayout(m_banners);
    layout->addLayout(diagnosis);

    layout->addWidget(section(u"Applications gourmandes"_s, sfSymbol(u"flame"), m_heavyRows, u"heavyAppsSection"_s));
    m_noticeSlot = new QVBoxLayout;
    layout->addLayout(m_noticeSlot);
    layout->addWidget(
        section(u"Éléments de démarrage"_s, sfSymbol(u"bolt.badge.clock"), m_launchRows, u"launchItemsSection"_s));
    layout->addStretch();
    scroll->setWidget(page);

    connect(&m_model, &OptimizationViewModel::launchItemsChanged, this, [this] {
        showLaunchItems();
        showFigures();
    });
    connect(&m_model, &OptimizationViewModel::heavyAppsChanged, this, &OptimizationView::showHeavyApps);
    connect(&m_model, &OptimizationViewModel::diagnosisChanged, this, &OptimizationView::showDiagnosis);
    connect(&m_model, &OptimizationViewModel::removalNoticeChanged, this, &OptimizationView::showNotice);
    m_figures.onChanged(this, [this] { showFigures(); });
    showFigures();
    showDiagnosis();
    showHeavyApps();
    showLaunchItems();
    showNotice();
}

std::array<StatTile::Fields, 3> OptimizationView::tiles(const SystemSnapshot& snapshot, qsizetype launchItemCount)
{
    const double load = std::isfinite(snapshot.cpuLoad) ? std::clamp(snapshot.cpuLoad, 0.0, 1.0) : 0.0;
    const double memoryFraction =
        snapshot.memoryTotal > 0
            ? static_cast<double>(std::clamp<qint64>(snapshot.memoryUsed, 0, snapshot.memoryTotal)) /
                  static_cast<double>(snapshot.memoryTotal)
            : 0.0;
    return {{
        {sfSymbol(u"cpu"), u"Processeur"_s, QString::number(static_cast<int>(std::trunc(load * 100.0))) + u" %"_s,
         std::nullopt, Theme::cyan(), load},
        {sfSymbol(u"memorychip"), u"Mémoire utilisée"_s, bytes(snapshot.memoryUsed),
         u"sur "_s + bytes(snapshot.memoryTotal), Theme::violet(), memoryFraction},
        {sfSymbol(u"bolt"), u"Agents au démarrage"_s, QString::number(launchItemCount),
         u"lancés à l'ouverture de session"_s, Theme::amber(), std::nullopt},
    }};
}

QString OptimizationView::cpuText(double cpu)
{
    return QString::asprintf("%.1f", cpu) + u" % CPU"_s;
}

bool OptimizationView::isCpuHigh(double cpu)
{
    return cpu > 40.0;
}

void OptimizationView::quit(const OptimizationService::HeavyApp& app)
{
    m_model.quit(app);
}

void OptimizationView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_model.launchItems().isEmpty())
        m_model.refresh();
}

void OptimizationView::showFigures()
{
    const auto shown = tiles(m_figures.snapshot(), m_model.launchItems().size());
    for (std::size_t i = 0; i < m_tiles.size(); ++i)
        m_tiles[i]->setFields(shown[i]);
}

void OptimizationView::showDiagnosis()
{
    if (m_model.isDiagnosing())
        letGoOfFocus(m_diagnoseButton);
    m_progress->setVisible(m_model.isDiagnosing());
    m_diagnoseButton->setVisible(!m_model.isDiagnosing());
    m_diagnoseButton->setText(m_model.hasDiagnosed() ? u"Refaire le diagnostic"_s : u"Diagnostiquer"_s);
    clear(m_banners);
    if (!m_model.hasDiagnosed())
        return;
    if (m_model.findings().empty()) {
        auto* healthy = new NoticeBanner(
            NoticeBanner::Kind::info, u"Rien d'anormal détecté"_s,
            u"Mémoire virtuelle, bridage thermique, indexation Spotlight et services qui redémarrent en boucle : les "
            u"quatre sondes sont revenues normales. Si la machine vous semble lente, la cause n'est pas de celles "
            u"qu'un nettoyage corrige."_s);
        healthy->setObjectName(u"diagnosisHealthy"_s);
        add(m_banners, healthy);
        return;
    }
    for (const Diagnostics::Finding& finding : m_model.findings()) {
        auto* banner = new NoticeBanner(finding.severity == Diagnostics::Severity::serious ? NoticeBanner::Kind::warning
                                                                                           : NoticeBanner::Kind::info,
                                        finding.title, finding.evidence + u"\n\n"_s + finding.explanation);
        banner->setObjectName(u"findingBanner"_s);
        banner->setProperty("findingID", finding.id);
        add(m_banners, banner);
    }
}

void OptimizationView::showHeavyApps()
{
    clear(m_heavyRows);
    const QList<OptimizationService::HeavyApp>& apps = m_model.heavyApps();
    if (apps.isEmpty()) {
        add(m_heavyRows, emptyText(u"Aucune application au premier plan ne consomme de ressources notables."_s,
                                   u"heavyAppsEmpty"_s));
        return;
    }
    const qsizetype shown = std::min<qsizetype>(apps.size(), OptimizationViewModel::heavyAppRows);
    for (qsizetype i = 0; i < shown; ++i) {
        const OptimizationService::HeavyApp app = apps[i];
        auto* row = new QWidget;
        row->setObjectName(u"heavyAppRow"_s);
        QHBoxLayout* layout = rowLayout(row);
        if (!app.icon.isEmpty())
            layout->addWidget(iconLabel(m_workspace.icon(app.icon), 22, row));
        auto* name = new ElidedLabel(app.name, Theme::systemFont(12.5));
        name->setObjectName(u"heavyAppName"_s);
        layout->addWidget(name, 1);
        auto* cpu = new ElidedLabel(cpuText(app.cpu), Theme::systemFont(11, QFont::Normal, Theme::Design::rounded),
                                    Paint::Ink::secondary);
        cpu->setObjectName(u"heavyAppCpu"_s);
        if (isCpuHigh(app.cpu))
            cpu->setColor(Theme::coral());
        layout->addWidget(cpu);
        auto* memory =
            new ElidedLabel(bytes(app.memory), Theme::systemFont(11.5, QFont::Medium, Theme::Design::rounded));
        memory->setObjectName(u"heavyAppMemory"_s);
        memory->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        memory->setMinimumWidth(72);
        layout->addWidget(memory);
        auto* quit = new StyledButton(u"Quitter"_s, QuietButtonStyle{});
        quit->setObjectName(u"quitButton"_s);
        connect(quit, &QAbstractButton::clicked, this, [this, app] { this->quit(app); });
        layout->addWidget(quit);
        add(m_heavyRows, row);
    }
}

void OptimizationView::showLaunchItems()
{
    clear(m_launchRows);
    const QList<OptimizationService::LaunchItem>& items = m_model.launchItems();
    if (items.isEmpty()) {
        add(m_launchRows,
            emptyText(u"Rien ne se lance automatiquement à l'ouverture de session."_s, u"launchItemsEmpty"_s));
        return;
    }
    for (const OptimizationService::LaunchItem& item : items) {
        auto* row = new QWidget;
        row->setObjectName(u"launchItemRow"_s);
        row->setProperty("itemURL", item.url);
        QHBoxLayout* layout = rowLayout(row);
        if (!item.icon.isEmpty())
            layout->addWidget(iconLabel(m_workspace.icon(item.icon), 20, row));
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        auto* label = new ElidedLabel(item.label, Theme::systemFont(12.5));
        label->setObjectName(u"launchItemLabel"_s);
        label->setElideMode(Qt::ElideRight);
        texts->addWidget(label);
        auto* program =
            new ElidedLabel(FileUtils::abbreviatedPath(item.program), Theme::monoFont(), Paint::Ink::tertiary);
        program->setObjectName(u"launchItemProgram"_s);
        texts->addWidget(program);
        layout->addLayout(texts, 1);
        layout->addSpacing(8);
        // The scope of a startup item on a faint capsule.
        auto* scope = new Capsule(item.scope);
        scope->setObjectName(u"scopeBadge"_s);
        layout->addWidget(scope);
        if (item.scope != OptimizationService::loginItemScope) {
            auto* disable = new StyledButton(u"Désactiver"_s, QuietButtonStyle{});
            disable->setObjectName(u"disableButton"_s);
            connect(disable, &QAbstractButton::clicked, &m_model, [this, item] { m_model.remove(item); });
            layout->addWidget(disable);
        }
        add(m_launchRows, row);
    }
}

void OptimizationView::showNotice()
{
    clear(m_noticeSlot);
    const auto& notice = m_model.removalNotice();
    if (!notice)
        return;
    auto* banner = new NoticeBanner(NoticeBanner::Kind::warning, notice->title, notice->message);
    banner->setObjectName(u"removalNotice"_s);
    add(m_noticeSlot, banner);
}
