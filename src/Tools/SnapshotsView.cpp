#include "Tools/SnapshotsView.h"

#include "Core/Formatters.h"
#include "Look/CardModifier.h"
#include "Look/Divider.h"
#include "Look/ElidedLabel.h"
#include "Look/EmptyStateView.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/SoftIconTile.h"
#include "Look/StatTile.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Tools/SnapshotsViewModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString byteText(qint64 bytes)
{
    return ByteCountFormatter().string(bytes); // "0 Ko" at zero or less
}

// A footer line: a symbol and a text, both in `color`.
QWidget* statusLine(const QString& symbol, const QColor& color, const QString& name, QLabel*& text)
{
    auto* line = new QWidget;
    line->setObjectName(name);
    auto* row = new QHBoxLayout(line);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(new SymbolView(symbol, 12.5, color), 0, Qt::AlignTop);
    text = new QLabel;
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setFont(Theme::systemFont(12.5));
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, color);
    text->setPalette(palette);
    row->addWidget(text, 1);
    return line;
}

} // namespace

SnapshotsView::SnapshotsView(SnapshotsViewModel& model, QWidget* parent) : QWidget(parent), m_model(&model)
{
    setObjectName(u"snapshotsView"_s);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(ModuleHeader::screenMargins());
    column->setSpacing(18);

    m_refresh = new StyledButton(u"Actualiser"_s, QuietButtonStyle{});
    m_refresh->setObjectName(u"refreshButton"_s);
    connect(m_refresh, &QAbstractButton::clicked, this, [this] { m_model->load(); });
    column->addWidget(new ModuleHeader(ModuleID::snapshots, m_refresh));

    auto* figures = new QHBoxLayout;
    figures->setSpacing(12);
    m_count = new StatTile({u"clock.arrow.2.circlepath"_s, u"Instantanés locaux"_s, QString(), {}, Theme::slate(), {}});
    m_count->setObjectName(u"countTile"_s);
    m_purgeable = new StatTile({u"externaldrive.badge.minus"_s,
                                u"Espace purgeable"_s,
                                QString(),
                                u"compté comme libre, occupé aujourd'hui"_s,
                                Theme::amber(),
                                {}});
    m_purgeable->setObjectName(u"purgeableTile"_s);
    m_free = new StatTile(
        {u"internaldrive"_s, u"Libre immédiatement"_s, QString(), u"sans rien effacer"_s, Theme::mint(), {}});
    m_free->setObjectName(u"freeTile"_s);
    figures->addWidget(m_count);
    figures->addWidget(m_purgeable);
    figures->addWidget(m_free);
    column->addLayout(figures);

    column->addWidget(new NoticeBanner(
        NoticeBanner::Kind::info, u"Pourquoi ce chiffre n'apparaît nulle part"_s,
        u"macOS compte les instantanés et les caches récupérables comme de l'espace libre : il sait les effacer "
        u"quand la place manque. Tant qu'il ne l'a pas fait, ils occupent le disque et aucun outil de mesure "
        u"classique ne les montre. Les supprimer ici ne touche pas à vos sauvegardes sur disque externe."_s));

    m_content = new QStackedWidget;
    m_emptyPage = new QWidget;
    auto* emptyColumn = new QVBoxLayout(m_emptyPage);
    emptyColumn->setContentsMargins(0, 0, 0, 0);
    m_content->addWidget(m_emptyPage);
    m_content->addWidget(makeListPage());
    column->addWidget(m_content, 1);

    connect(m_model, &SnapshotsViewModel::changed, this, &SnapshotsView::refresh);
    refresh();
}

QWidget* SnapshotsView::makeListPage()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);

    auto* scroll = new QScrollArea;
    scroll->setObjectName(u"snapshotList"_s);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rows = new QWidget;
    m_rowsLayout = new QVBoxLayout(m_rows);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->addStretch(1);
    scroll->setWidget(m_rows);
    column->addWidget(card(scroll, 0), 1);

    auto* footer = new QVBoxLayout;
    footer->setSpacing(10);
    m_noticeLine = statusLine(u"checkmark.circle.fill"_s, Theme::mint(), u"noticeLine"_s, m_noticeText);
    m_errorLine = statusLine(u"exclamationmark.triangle.fill"_s, Theme::amber(), u"errorLine"_s, m_errorText);
    m_errorText->setMaximumHeight(2 * m_errorText->fontMetrics().lineSpacing());
    footer->addWidget(m_noticeLine);
    footer->addWidget(m_errorLine);
    auto* bottom = new QHBoxLayout;
    auto* caption = new TextLabel(u"La taille d'un instantané n'est pas mesurable individuellement : les copies "
                                  u"partagent leurs blocs avec le disque vivant."_s,
                                  Theme::systemFont(11), Paint::Ink::tertiary);
    caption->setWordWrap(true);
    bottom->addWidget(caption, 1);
    bottom->addSpacing(16);
    m_deleteAll = new StyledButton(u"Tout supprimer"_s, PrimaryButtonStyle{Theme::dangerGradient(), true});
    m_deleteAll->setObjectName(u"deleteAllButton"_s);
    connect(m_deleteAll, &QAbstractButton::clicked, this, [this] { m_model->deleteAll(); });
    bottom->addWidget(m_deleteAll, 0, Qt::AlignVCenter);
    footer->addLayout(bottom);
    column->addLayout(footer);
    return page;
}

void SnapshotsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_model && !m_model->hasLoaded() && !m_model->isLoading())
        m_model->load();
}

void SnapshotsView::showEmptyState(bool configured)
{
    if (m_emptyConfigured == configured)
        return;
    m_emptyConfigured = configured;
    delete m_empty;
    m_empty = new EmptyStateView(
        u"externaldrive.badge.timemachine"_s, u"Aucun instantané local"_s,
        configured ? u"Time Machine est configuré mais ne garde aucune copie locale en ce moment."_s
                   : u"Time Machine n'est pas configuré sur ce Mac : il ne crée donc pas d'instantanés."_s,
        Theme::slate());
    m_empty->setObjectName(u"emptyState"_s);
    m_emptyPage->layout()->addWidget(m_empty);
    m_empty->show();
}

void SnapshotsView::rebuildRows()
{
    const QList<SnapshotService::Snapshot>& snapshots = m_model->state().snapshots;
    if (snapshots == m_shownRows)
        return;
    m_shownRows = snapshots;
    m_rowButtons.clear();
    while (m_rowsLayout->count() > 1) {
        QLayoutItem* item = m_rowsLayout->takeAt(0);
        delete item->widget();
        delete item;
    }
    int at = 0;
    for (const SnapshotService::Snapshot& snapshot : snapshots) {
        auto* row = new QWidget;
        row->setObjectName(u"snapshotRow"_s);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(14, 9, 14, 9);
        line->setSpacing(11);
        line->addWidget(new SoftIconTile(u"clock"_s, Theme::slate(), 22));
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        // An undated snapshot shows the moment it is drawn, as the system's own list does.
        auto* date = new TextLabel(
            DateTimeFormatter::fullDateShortTime().string(snapshot.date.value_or(QDateTime::currentDateTime())),
            Theme::systemFont(12.5, QFont::Medium));
        date->setObjectName(u"snapshotDate"_s);
        auto* name = new ElidedLabel(snapshot.name, Theme::monoFont(), Paint::Ink::tertiary);
        name->setObjectName(u"snapshotName"_s);
        name->setElideMode(Qt::ElideMiddle);
        texts->addWidget(date);
        texts->addWidget(name);
        line->addLayout(texts, 1);
        line->addSpacing(8);
        auto* remove = new StyledButton(u"Supprimer"_s, QuietButtonStyle{});
        remove->setObjectName(u"deleteButton"_s);
        connect(remove, &QAbstractButton::clicked, this, [this, snapshot] { m_model->deleteSnapshot(snapshot); });
        line->addWidget(remove);
        m_rowButtons.append(remove);
        m_rowsLayout->insertWidget(at++, row);
        m_rowsLayout->insertWidget(at++, new Divider(47));
    }
}

void SnapshotsView::refresh()
{
    if (!m_model)
        return;
    const SnapshotService::State& state = m_model->state();
    const bool working = m_model->isWorking();
    m_refresh->setEnabled(!m_model->isLoading() && !working);

    StatTile::Fields count = m_count->fields();
    count.value = QString::number(state.snapshots.size());
    count.detail = state.snapshots.isEmpty()
                       ? u"aucune copie sur ce disque"_s
                       : u"le plus récent : "_s + SnapshotService::stamp(state.snapshots.first().name);
    m_count->setFields(count);
    StatTile::Fields purgeable = m_purgeable->fields();
    purgeable.value = byteText(state.space.optimistic - state.space.immediate);
    m_purgeable->setFields(purgeable);
    StatTile::Fields freeNow = m_free->fields();
    freeNow.value = byteText(state.space.immediate);
    m_free->setFields(freeNow);

    if (state.snapshots.isEmpty()) {
        showEmptyState(state.isTimeMachineConfigured);
        m_content->setCurrentWidget(m_emptyPage);
        return;
    }
    rebuildRows();
    m_content->setCurrentIndex(1);
    for (StyledButton* button : std::as_const(m_rowButtons))
        button->setEnabled(!working);
    m_noticeLine->setVisible(m_model->notice().has_value());
    m_noticeText->setText(m_model->notice().value_or(QString()));
    m_errorLine->setVisible(m_model->error().has_value());
    m_errorText->setText(m_model->error().value_or(QString()));
    m_deleteAll->setButtonStyle(PrimaryButtonStyle{Theme::dangerGradient(), !working});
    m_deleteAll->setEnabled(!working);
}
