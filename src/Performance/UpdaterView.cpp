#include "Performance/UpdaterView.h"

#include "Look/Capsule.h"
#include "Look/CardModifier.h"
#include "Look/ElidedLabel.h"
#include "Look/EmptyStateView.h"
#include "Look/ModuleHeader.h"
#include "Look/Paint.h"
#include "Look/SpinnerRing.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Performance/UpdaterViewModel.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using UpdaterService::Update;

namespace UpdatesScreen {

namespace {

QWidget* iconOf(const UpdaterService::UpdateIcon& icon, const Platform::Workspace& workspace)
{
    QWidget* widget = nullptr;
    if (icon.kind == UpdaterService::UpdateIcon::Kind::symbol) {
        widget = new SymbolView(icon.name, 22);
    } else {
        auto* label = new QLabel;
        label->setPixmap(workspace.icon(icon.name).pixmap(22, 22));
        label->setScaledContents(true);
        widget = label;
    }
    widget->setObjectName(u"updateIcon"_s);
    widget->setFixedSize(22, 22);
    return widget;
}

} // namespace

// One update: its icon, name, versions, source and, when it can be installed from here, its install control.
class UpdateRow final : public QWidget
{
public:
    UpdateRow(UpdaterViewModel& model, const Update& update, const Platform::Workspace& workspace, QWidget* parent)
        : QWidget(parent), m_model(model), m_update(update)
    {
        setObjectName(u"updateRow"_s);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(12, 8, 12, 8);
        row->setSpacing(10);
        if (update.icon)
            row->addWidget(iconOf(*update.icon, workspace));
        auto* column = new QVBoxLayout;
        column->setSpacing(1);
        // Names and versions come from the tools: a long one is shortened rather than widening the list.
        auto* name = new ElidedLabel(update.name, Theme::systemFont(12.5, QFont::Medium));
        name->setElideMode(Qt::ElideRight);
        name->setObjectName(u"updateName"_s);
        column->addWidget(name);
        auto* versions = new ElidedLabel(update.currentVersion + u" → "_s + update.newVersion, Theme::systemFont(10.5),
                                         Paint::Ink::secondary);
        versions->setElideMode(Qt::ElideRight);
        versions->setObjectName(u"updateVersions"_s);
        column->addWidget(versions);
        // Why the last install failed, on one line; the whole of it on hovering.
        m_failure = new ElidedLabel(QString(), Theme::systemFont(10.5));
        m_failure->setElideMode(Qt::ElideRight);
        m_failure->setColor(Theme::amber());
        m_failure->setObjectName(u"installFailure"_s);
        m_failure->hide();
        column->addWidget(m_failure);
        row->addLayout(column, 1);
        row->addSpacerItem(new QSpacerItem(8, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
        // Where the update comes from, on a faint capsule.
        auto* source = new Capsule(UpdaterService::toRaw(update.source));
        source->setObjectName(u"sourceBadge"_s);
        row->addWidget(source);
        if (update.command) {
            m_progress = new SpinnerRing(2);
            m_progress->setObjectName(u"installProgress"_s);
            m_progress->setFixedSize(16, 16);
            row->addWidget(m_progress);
            m_install = new StyledButton(u"Installer"_s, QuietButtonStyle{});
            m_install->setObjectName(u"installButton"_s);
            connect(m_install, &QAbstractButton::clicked, this, [this] { m_model.apply(m_update); });
            row->addWidget(m_install);
        }
        refresh();
    }

    void refresh()
    {
        if (!m_install)
            return;
        // Every row whose install is under way shows it, so that none can be started twice.
        const bool installing = m_model.isInstalling(m_update);
        m_progress->setVisible(installing);
        m_install->setVisible(!installing);
        const std::optional<QString> failure = installing ? std::nullopt : m_model.failure(m_update.id);
        m_failure->setVisible(failure.has_value());
        m_failure->setText(failure ? UpdaterService::installFailureText(*failure) : QString());
        m_failure->setToolTip(failure.value_or(QString()));
    }

private:
    UpdaterViewModel& m_model;
    Update m_update;
    SpinnerRing* m_progress = nullptr;
    StyledButton* m_install = nullptr;
    ElidedLabel* m_failure = nullptr;
};

} // namespace UpdatesScreen

UpdaterView::UpdaterView(UpdaterViewModel& model, Platform::Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_model(model), m_workspace(workspace)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(ModuleHeader::screenMargins());
    layout->setSpacing(16);
    m_checkButton = new StyledButton(u"Vérifier"_s, QuietButtonStyle{});
    m_checkButton->setObjectName(u"checkButton"_s);
    connect(m_checkButton, &QAbstractButton::clicked, &m_model, &UpdaterViewModel::check);
    layout->addWidget(new ModuleHeader(ModuleID::updater, m_checkButton));

    auto* content = new QWidget;
    m_content = new QStackedLayout(content);
    layout->addWidget(content, 1);

    m_checking = new QWidget;
    auto* checking = new QVBoxLayout(m_checking);
    checking->setContentsMargins(0, 0, 0, 0);
    checking->setSpacing(14);
    checking->addStretch();
    auto* ring = new SpinnerRing(9);
    ring->setFixedSize(90, 90);
    checking->addWidget(ring, 0, Qt::AlignHCenter);
    m_status = new TextLabel(QString(), Theme::systemFont(12), Paint::Ink::secondary);
    m_status->setObjectName(u"checkingStatus"_s);
    checking->addWidget(m_status, 0, Qt::AlignHCenter);
    checking->addStretch();
    m_content->addWidget(m_checking);

    m_list = new QScrollArea;
    m_list->setObjectName(u"updatesList"_s);
    m_list->setWidgetResizable(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_content->addWidget(m_list);

    m_empty = new QWidget;
    auto* empty = new QGridLayout(m_empty);
    empty->setContentsMargins(0, 0, 0, 0);
    empty->addWidget(new EmptyStateView(sfSymbol(u"checkmark.circle"), u"Rien à mettre à jour"_s,
                                        u"Lancez une vérification pour interroger Homebrew, les mises à jour système "
                                        u"et recenser les apps qui se mettent à jour elles-mêmes."_s,
                                        Theme::mint()),
                     0, 0);
    // Over the empty state, at its foot.
    auto* foot = new QVBoxLayout;
    foot->setContentsMargins(0, 0, 0, 40);
    foot->addStretch();
    auto* checkNow = new StyledButton(u"Vérifier maintenant"_s, PrimaryButtonStyle{Theme::accentGradient(), true});
    checkNow->setObjectName(u"checkNowButton"_s);
    connect(checkNow, &QAbstractButton::clicked, &m_model, &UpdaterViewModel::check);
    foot->addWidget(checkNow, 0, Qt::AlignHCenter);
    empty->addLayout(foot, 0, 0);
    m_content->addWidget(m_empty);

    connect(&m_model, &UpdaterViewModel::changed, this, &UpdaterView::refresh);
    refresh();
}

void UpdaterView::refresh()
{
    const bool checking = m_model.isChecking();
    m_checkButton->setText(checking ? u"Vérification…"_s : u"Vérifier"_s);
    m_checkButton->setEnabled(!checking);
    m_status->setText(m_model.status().isEmpty() ? u"Recherche…"_s : m_model.status());
    if (checking) {
        m_content->setCurrentWidget(m_checking);
        return;
    }
    if (m_model.updates().empty()) {
        m_content->setCurrentWidget(m_empty);
        return;
    }
    std::vector<QUuid> ids;
    for (const Update& update : m_model.updates())
        ids.push_back(update.id);
    if (ids != m_shown) {
        m_shown = std::move(ids);
        rebuildList();
    }
    for (UpdatesScreen::UpdateRow* row : m_rows)
        row->refresh();
    m_content->setCurrentWidget(m_list);
}

void UpdaterView::rebuildList()
{
    m_rows.clear();
    auto* list = new QWidget;
    auto* groups = new QVBoxLayout(list);
    groups->setContentsMargins(0, 0, 0, 0);
    groups->setSpacing(14);
    struct Group {
        QString name;
        QString caption;
        bool installable;
    };
    const Group kinds[] = {
        {u"installable"_s, u"Installables depuis ici"_s, true},
        {u"elsewhere"_s, u"À mettre à jour dans l'app ou les Réglages Système"_s, false},
    };
    for (const Group& kind : kinds) {
        std::vector<const Update*> members;
        for (const Update& update : m_model.updates()) {
            if (update.command.has_value() == kind.installable)
                members.push_back(&update);
        }
        if (members.empty())
            continue;
        auto* group = new QWidget;
        group->setObjectName(u"updatesGroup_"_s + kind.name);
        auto* column = new QVBoxLayout(group);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(8);
        auto* caption = new TextLabel(kind.caption, Theme::captionFont(), Paint::Ink::secondary);
        caption->setObjectName(u"updatesCaption"_s);
        column->addWidget(caption);
        auto* rows = new QWidget;
        auto* rowLayout = new QVBoxLayout(rows);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(0);
        for (const Update* update : members) {
            auto* row = new UpdatesScreen::UpdateRow(m_model, *update, m_workspace, rows);
            m_rows.push_back(row);
            rowLayout->addWidget(row);
        }
        column->addWidget(card(rows, 0));
        groups->addWidget(group);
    }
    groups->addStretch();
    m_list->setWidget(list); // the former list goes with its rows
}
