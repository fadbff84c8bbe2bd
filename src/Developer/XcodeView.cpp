#include "Developer/XcodeView.h"

#include "Core/FileUtils.h"
#include "Developer/XcodeRows.h"
#include "Developer/XcodeViewModel.h"
#include "Look/BandedRows.h"
#include "Look/EmptyStateView.h"
#include "Look/ModuleHeader.h"
#include "Look/OverlayScrollBar.h"
#include "Look/Paint.h"
#include "Look/SpinnerRing.h"
#include "Look/StatTile.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int sectionSpacing = 16;

// A footer line: a symbol and a text, both in `color`.
QWidget* statusLine(const QString& symbol, const QColor& color, qreal size, const QString& name, QLabel*& text)
{
    auto* line = new QWidget;
    line->setObjectName(name);
    auto* row = new QHBoxLayout(line);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(new SymbolView(symbol, size, color), 0, Qt::AlignTop);
    text = new QLabel;
    text->setObjectName(name + u"Text"_s);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setFont(Theme::systemFont(size));
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, color);
    text->setPalette(palette);
    row->addWidget(text, 1);
    return line;
}

template <class Item> qint64 totalBytes(const QList<Item>& items)
{
    qint64 total = 0;
    for (const Item& item : items)
        total = FileUtils::addBytes(total, item.bytes);
    return total;
}

bool sameInventory(const XcodeService::Inventory& a, const XcodeService::Inventory& b)
{
    return a.devices == b.devices && a.runtimes == b.runtimes && a.archives == b.archives;
}

} // namespace

XcodeView::XcodeView(XcodeViewModel& model, QWidget* parent) : QWidget(parent), m_model(&model)
{
    setObjectName(u"xcodeView"_s);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(ModuleHeader::screenMargins());
    column->setSpacing(18);

    m_recommended = new StyledButton(u"Sélection recommandée"_s, QuietButtonStyle{});
    m_recommended->setObjectName(u"recommendedButton"_s);
    connect(m_recommended, &QAbstractButton::clicked, this, [this] { m_model->selectRecommended(); });
    column->addWidget(new ModuleHeader(ModuleID::xcodeJunk, m_recommended));

    m_pages = new QStackedWidget;
    m_loadingPage = makeLoadingPage();
    m_emptyPage = new QWidget;
    auto* emptyColumn = new QVBoxLayout(m_emptyPage);
    emptyColumn->setContentsMargins(0, 0, 0, 0);
    m_inventoryPage = makeInventoryPage();
    m_pages->addWidget(m_loadingPage);
    m_pages->addWidget(m_emptyPage);
    m_pages->addWidget(m_inventoryPage);
    column->addWidget(m_pages, 1);

    connect(m_model, &XcodeViewModel::changed, this, &XcodeView::refresh);
    refresh();
}

QWidget* XcodeView::makeLoadingPage()
{
    auto* page = new QWidget;
    page->setObjectName(u"loadingState"_s);
    auto* column = new QVBoxLayout(page);
    column->setSpacing(14);
    column->addStretch(1);
    auto* spinner = new SpinnerRing(5);
    spinner->setFixedSize(44, 44);
    column->addWidget(spinner, 0, Qt::AlignHCenter);
    auto* text = new TextLabel(u"Interrogation de CoreSimulator…"_s, Theme::systemFont(13), Paint::Ink::secondary);
    text->setObjectName(u"loadingText"_s);
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

QWidget* XcodeView::makeInventoryPage()
{
    auto* page = new QWidget;
    page->setObjectName(u"inventoryState"_s);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);

    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(12);
    m_devicesTile = new StatTile({u"iphone"_s, u"Appareils simulés"_s, QString(), QString(), Theme::sky(), {}});
    m_devicesTile->setObjectName(u"devicesTile"_s);
    m_runtimesTile =
        new StatTile({u"shippingbox"_s, u"Images de runtime"_s, QString(), QString(), Theme::violet(), {}});
    m_runtimesTile->setObjectName(u"runtimesTile"_s);
    m_archivesTile = new StatTile({u"archivebox"_s, u"Archives"_s, QString(), QString(), Theme::amber(), {}});
    m_archivesTile->setObjectName(u"archivesTile"_s);
    tiles->addWidget(m_devicesTile);
    tiles->addWidget(m_runtimesTile);
    tiles->addWidget(m_archivesTile);
    column->addLayout(tiles);

    // While the inventory is read again (after a cleaning) the list stays in view, untickable, under this line.
    m_refreshing = new QWidget;
    m_refreshing->setObjectName(u"refreshingLine"_s);
    auto* refreshing = new QHBoxLayout(m_refreshing);
    refreshing->setContentsMargins(0, 0, 0, 0);
    refreshing->setSpacing(8);
    auto* spinner = new SpinnerRing(2);
    spinner->setFixedSize(14, 14);
    refreshing->addWidget(spinner);
    refreshing->addWidget(
        new TextLabel(u"Actualisation de l'inventaire…"_s, Theme::systemFont(11.5), Paint::Ink::secondary));
    refreshing->addStretch(1);
    column->addWidget(m_refreshing);

    m_scroll = new QScrollArea;
    m_scroll->setObjectName(u"sectionList"_s);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    m_sectionsLayout = new QVBoxLayout(content);
    m_sectionsLayout->setContentsMargins(0, 0, 0, 0);
    m_sectionsLayout->setSpacing(sectionSpacing);
    // The list is as tall as its sections at the width they have (their height for that width), not as the
    // wrapped notes' width-free hints would make it, which left an empty band under the last section.
    m_sectionsLayout->setSizeConstraint(QLayout::SetNoConstraint);
    content->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    m_sectionsLayout->addStretch(1);
    m_scroll->setWidget(content);
    OverlayScrollBar::install(m_scroll);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, &XcodeView::showBands);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::rangeChanged, this, &XcodeView::showBands);
    column->addWidget(m_scroll, 1);

    auto* footer = new QVBoxLayout;
    footer->setSpacing(10);
    m_progressBlock = new QWidget;
    m_progressBlock->setObjectName(u"progressBlock"_s);
    auto* progressColumn = new QVBoxLayout(m_progressBlock);
    progressColumn->setContentsMargins(0, 0, 0, 0);
    progressColumn->setSpacing(6);
    m_progress = new QProgressBar;
    m_progress->setObjectName(u"progressBar"_s);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    // A thin rounded bar in the sky tint, as the rest of the look draws progress, not the platform's boxy one.
    m_progress->setFixedHeight(6);
    const QColor track = Paint::ink(this, Paint::Ink::primary, 0.1);
    m_progress->setStyleSheet(u"QProgressBar { border: none; border-radius: 3px; background: rgba(%1, %2, %3, %4); }"
                              u"QProgressBar::chunk { border-radius: 3px; background: %5; }"_s.arg(
                                  QString::number(track.red()), QString::number(track.green()),
                                  QString::number(track.blue()), QString::number(track.alphaF()), Theme::sky().name()));
    m_status = new TextLabel(QString(), Theme::monoFont(), Paint::Ink::secondary);
    m_status->setObjectName(u"statusText"_s);
    m_status->setTextFormat(Qt::PlainText);
    progressColumn->addWidget(m_progress);
    progressColumn->addWidget(m_status);
    footer->addWidget(m_progressBlock);

    m_resultLine = statusLine(u"checkmark.circle.fill"_s, Theme::mint(), 12.5, u"resultLine"_s, m_resultText);
    footer->addWidget(m_resultLine);
    for (int i = 0; i < shownFailures; ++i) {
        QLabel* text = nullptr;
        QWidget* line = statusLine(u"exclamationmark.triangle.fill"_s, Theme::amber(), 11.5, u"failureLine"_s, text);
        m_failureLines.append(line);
        m_failureTexts.append(text);
        footer->addWidget(line);
    }

    auto* bar_ = new QHBoxLayout;
    bar_->setSpacing(12);
    m_selection = new TextLabel(QString(), Theme::systemFont(12.5), Paint::Ink::secondary);
    m_selection->setObjectName(u"selectionText"_s);
    bar_->addWidget(m_selection);
    bar_->addStretch(1);
    m_selectNone = new StyledButton(u"Tout décocher"_s, QuietButtonStyle{});
    m_selectNone->setObjectName(u"selectNoneButton"_s);
    connect(m_selectNone, &QAbstractButton::clicked, this, [this] { m_model->selectNone(); });
    bar_->addWidget(m_selectNone);
    m_remove = new StyledButton(u"Supprimer"_s, PrimaryButtonStyle{Theme::dangerGradient(), false});
    m_remove->setObjectName(u"removeButton"_s);
    connect(m_remove, &QAbstractButton::clicked, this, [this] { m_model->clean(); });
    bar_->addWidget(m_remove);
    footer->addLayout(bar_);

    auto* note = new TextLabel(u"Appareils et runtimes ne passent pas par la corbeille : simctl ne la connaît pas. "
                               u"Le nettoyage est consigné dans l'historique, mais il est définitif."_s,
                               Theme::systemFont(11), Paint::Ink::tertiary);
    note->setObjectName(u"footerNote"_s);
    note->setWordWrap(true);
    footer->addWidget(note);
    column->addLayout(footer);
    return page;
}

void XcodeView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_model && !m_model->hasLoaded())
        m_model->load();
    QTimer::singleShot(0, this, &XcodeView::showBands);
}

void XcodeView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    QTimer::singleShot(0, this, &XcodeView::showBands);
}

void XcodeView::showEmpty(Page page)
{
    if (m_emptyShown != page) {
        m_emptyShown = page;
        delete m_emptyState;
        if (page == Page::noTools) {
            m_emptyState = new EmptyStateView(u"hammer"_s, u"Pas d'outils de développement"_s,
                                              u"Ni Xcode ni les outils en ligne de commande ne répondent sur ce Mac. "
                                              u"Rien à nettoyer de ce côté."_s,
                                              Theme::sky());
            m_emptyState->setObjectName(u"noToolsState"_s);
        } else {
            m_emptyState =
                new EmptyStateView(u"checkmark.seal"_s, u"Rien à récupérer"_s,
                                   u"Aucun simulateur, runtime ni archive occupant de la place."_s, Theme::sky());
            m_emptyState->setObjectName(u"nothingState"_s);
        }
        m_emptyPage->layout()->addWidget(m_emptyState);
        m_emptyState->show();
    }
    m_pages->setCurrentWidget(m_emptyPage);
}

void XcodeView::rebuildSections()
{
    const XcodeService::Inventory& inventory = m_model->inventory();
    if (m_shownInventory && sameInventory(*m_shownInventory, inventory)) {
        for (XcodeSection* section : std::as_const(m_sections))
            section->refreshSelection();
        return;
    }
    m_shownInventory = inventory;
    for (XcodeSection* section : std::as_const(m_sections))
        delete section;
    m_sections.clear();

    // The rows read the model afresh when they are built, so a row made later shows the selection of then.
    QPointer<XcodeViewModel> model = m_model;
    using Selection = XcodeViewModel::Selection;
    if (!inventory.devices.isEmpty()) {
        m_sections.append(new XcodeSection(
            u"Appareils simulés"_s,
            u"Chaque appareil garde ses apps, ses réglages et ses données. Xcode le recrée à la demande."_s,
            u"iphone"_s, Theme::sky(), int(inventory.devices.size()),
            [model](int i) -> SelectableRow* {
                const XcodeService::Device device = model->inventory().devices.value(i);
                return makeDeviceRow(device, model->selectedDevices().contains(device.id), [model, id = device.id] {
                    if (model)
                        model->toggle(id, Selection::devices);
                });
            },
            [model](int i) { return model->selectedDevices().contains(model->inventory().devices.value(i).id); }));
    }
    if (!inventory.runtimes.isEmpty()) {
        m_sections.append(new XcodeSection(
            u"Images de runtime"_s,
            u"Une image se retélécharge depuis Xcode. Celles dont dépend encore un appareil ne sont pas proposées."_s,
            u"shippingbox"_s, Theme::violet(), int(inventory.runtimes.size()),
            [model](int i) -> SelectableRow* {
                const XcodeService::Runtime runtime = model->inventory().runtimes.value(i);
                const bool removable = XcodeViewModel::isRemovable(runtime);
                return makeRuntimeRow(runtime, removable, model->selectedRuntimes().contains(runtime.id),
                                      [model, id = runtime.id, removable] {
                                          if (model && removable)
                                              model->toggle(id, Selection::runtimes);
                                      });
            },
            [model](int i) { return model->selectedRuntimes().contains(model->inventory().runtimes.value(i).id); }));
    }
    if (!inventory.archives.isEmpty()) {
        m_sections.append(new XcodeSection(
            u"Archives"_s,
            u"Les seuls éléments de cet écran qui passent par la corbeille — ils sont donc récupérables depuis "
            u"l'historique."_s,
            u"archivebox"_s, Theme::amber(), int(inventory.archives.size()),
            [model](int i) -> SelectableRow* {
                const XcodeService::Archive archive = model->inventory().archives.value(i);
                return makeArchiveRow(archive, model->selectedArchives().contains(archive.id()),
                                      [model, id = archive.id()] {
                                          if (model)
                                              model->toggle(id, Selection::archives);
                                      });
            },
            [model](int i) { return model->selectedArchives().contains(model->inventory().archives.value(i).id()); }));
    }
    int at = 0;
    for (XcodeSection* section : std::as_const(m_sections))
        m_sectionsLayout->insertWidget(at++, section);
    QTimer::singleShot(0, this, &XcodeView::showBands);
}

void XcodeView::showBands()
{
    if (!m_scroll || m_sections.isEmpty())
        return;
    // Rows one screen above and below the visible part are built too, so scrolling never shows a gap.
    const BandedRows::Band band = BandedRows::aroundView(*m_scroll);
    for (XcodeSection* section : std::as_const(m_sections)) {
        const int y = section->geometry().y();
        section->showBand(band.top - y, band.bottom - y);
    }
}

void XcodeView::refresh()
{
    if (!m_model)
        return;
    const XcodeViewModel& model = *m_model;
    const XcodeService::Inventory& inventory = model.inventory();
    const bool empty = inventory.devices.isEmpty() && inventory.runtimes.isEmpty() && inventory.archives.isEmpty();
    m_recommended->setVisible(model.hasLoaded() && !empty);

    if (model.isLoading() && !model.hasLoaded()) {
        m_pages->setCurrentWidget(m_loadingPage);
        return;
    }
    if (!inventory.hasSimulatorTools && inventory.archives.isEmpty()) {
        showEmpty(Page::noTools);
        return;
    }
    if (empty) {
        showEmpty(Page::nothing);
        return;
    }
    m_pages->setCurrentWidget(m_inventoryPage);

    StatTile::Fields devices = m_devicesTile->fields();
    devices.value = XcodeTexts::byteText(totalBytes(inventory.devices));
    devices.detail = XcodeTexts::countText(inventory.devices.size(), u"appareil"_s, u"appareils"_s);
    m_devicesTile->setFields(devices);
    StatTile::Fields runtimes = m_runtimesTile->fields();
    runtimes.value = XcodeTexts::byteText(totalBytes(inventory.runtimes));
    runtimes.detail = XcodeTexts::countText(inventory.runtimes.size(), u"version"_s, u"versions"_s);
    m_runtimesTile->setFields(runtimes);
    StatTile::Fields archives = m_archivesTile->fields();
    archives.value = XcodeTexts::byteText(totalBytes(inventory.archives));
    archives.detail = XcodeTexts::countText(inventory.archives.size(), u"archive"_s, u"archives"_s);
    m_archivesTile->setFields(archives);

    rebuildSections();
    m_refreshing->setVisible(model.isRefreshing());
    m_scroll->setEnabled(!model.isRefreshing());

    const bool working = model.isWorking();
    m_progressBlock->setVisible(working);
    m_progress->setValue(int(std::clamp(model.progress(), 0.0, 1.0) * 1000));
    m_status->setText(model.status().isEmpty() ? u"Suppression…"_s : model.status());
    m_resultLine->setVisible(model.freedBytes() > 0);
    m_resultText->setText(XcodeTexts::freedText(model.freedBytes()));
    for (int i = 0; i < shownFailures; ++i) {
        const bool shown = i < model.failures().size();
        m_failureLines[i]->setVisible(shown);
        m_failureTexts[i]->setText(shown ? model.failures()[i] : QString());
    }
    const int count = model.selectedCount();
    m_selection->setText(XcodeTexts::selectionText(count, model.selectedBytes()));
    m_selectNone->setVisible(count > 0);
    const bool canRemove = count > 0 && !working;
    m_remove->setButtonStyle(PrimaryButtonStyle{Theme::dangerGradient(), canRemove});
    m_remove->setEnabled(canRemove);
}
