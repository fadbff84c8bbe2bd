#include "Tools/SpaceMapView.h"

#include "Look/ElidedLabel.h"
#include "Look/EmptyStateView.h"
#include "Look/ModuleHeader.h"
#include "Look/SpinnerRing.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/OpenPanel.h"
#include "Platform/SystemRoot.h"
#include "Platform/Workspace.h"
#include "Tools/SpaceMapViewModel.h"
#include "Tools/TreemapCanvas.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLayoutItem>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

StyledButton* quietButton(const QString& title, const QString& name)
{
    auto* button = new StyledButton(title, QuietButtonStyle{});
    button->setObjectName(name);
    return button;
}

// A path-bar entry: the node's name as a plain button, semibold in the primary colour for the current folder,
// regular in indigo for its ancestors.
QPushButton* pathEntry(const QString& name, bool isCurrent)
{
    auto* button = new QPushButton(name.isEmpty() ? u"/"_s : name);
    button->setObjectName(u"pathEntry"_s);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFont(Theme::systemFont(12, isCurrent ? QFont::DemiBold : QFont::Normal));
    const QString color = isCurrent ? u"palette(window-text)"_s : Theme::indigo().name();
    button->setStyleSheet(
        u"QPushButton { border: none; padding: 0; background: transparent; color: %1; }"_s.arg(color));
    return button;
}

} // namespace

SpaceMapView::SpaceMapView(SpaceMapViewModel& model, Platform::Workspace& workspace, Platform::OpenPanel& openPanel,
                           QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_openPanel(openPanel), m_model(&model)
{
    setObjectName(u"spaceMapView"_s);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(ModuleHeader::screenMargins());
    column->setSpacing(14);

    auto* trailing = new QWidget;
    auto* buttons = new QHBoxLayout(trailing);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    StyledButton* home = quietButton(u"Dossier personnel"_s, u"homeButton"_s);
    StyledButton* choose = quietButton(u"Choisir un dossier…"_s, u"chooseButton"_s);
    buttons->addWidget(home);
    buttons->addWidget(choose);
    connect(home, &QAbstractButton::clicked, this, [this] { m_model->scan(Platform::homeFolder()); });
    connect(choose, &QAbstractButton::clicked, this, &SpaceMapView::chooseFolder);
    column->addWidget(new ModuleHeader(ModuleID::spaceMap, trailing));

    m_states = new QStackedWidget;
    m_start = makeStartState();
    m_scanning = makeScanningState();
    m_exploring = makeExploringState();
    m_states->addWidget(m_start);
    m_states->addWidget(m_scanning);
    m_states->addWidget(m_exploring);
    column->addWidget(m_states, 1);

    connect(m_model, &SpaceMapViewModel::changed, this, &SpaceMapView::refresh);
    refresh();
}

void SpaceMapView::chooseFolder()
{
    QPointer<SpaceMapView> self(this);
    m_openPanel.choose({Platform::OpenPanel::Mode::oneFolder, u"Analyser"_s, QString(), QString()},
                       [self](const QStringList& chosen) {
                           if (self && !chosen.isEmpty() && !chosen.first().isEmpty())
                               self->m_model->scan(chosen.first());
                       });
}

QWidget* SpaceMapView::makeStartState()
{
    auto* page = new QWidget;
    auto* stack = new QGridLayout(page);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(new EmptyStateView(u"chart.pie"_s, u"Choisissez un point de départ"_s,
                                        u"L'analyse mesure chaque sous-dossier et en dessine la part réelle. Comptez "
                                        u"quelques dizaines de secondes pour un dossier personnel bien rempli."_s,
                                        Theme::mint()),
                     0, 0);
    auto* start =
        new StyledButton(u"Analyser le dossier personnel"_s, PrimaryButtonStyle{Theme::accentGradient(), true});
    start->setObjectName(u"startButton"_s);
    connect(start, &QAbstractButton::clicked, this, [this] { m_model->scan(Platform::homeFolder()); });
    auto* bottom = new QVBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 40);
    bottom->addStretch(1);
    bottom->addWidget(start, 0, Qt::AlignHCenter);
    stack->addLayout(bottom, 0, 0);
    return page;
}

QWidget* SpaceMapView::makeScanningState()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addStretch(1);
    auto* spinner = new SpinnerRing(10);
    spinner->setFixedSize(110, 110);
    column->addWidget(spinner, 0, Qt::AlignHCenter);
    column->addWidget(new TextLabel(u"Mesure des dossiers…"_s, Theme::systemFont(13)), 0, Qt::AlignHCenter);
    m_status = new ElidedLabel(QString(), Theme::monoFont(), Paint::Ink::tertiary);
    m_status->setObjectName(u"scanStatus"_s);
    m_status->setAlignment(Qt::AlignCenter);
    column->addWidget(m_status);
    StyledButton* stop = quietButton(u"Arrêter"_s, u"stopButton"_s);
    connect(stop, &QAbstractButton::clicked, this, [this] { m_model->stop(); });
    column->addWidget(stop, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

QWidget* SpaceMapView::makeExploringState()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);

    auto* pathRow = new QHBoxLayout;
    pathRow->setSpacing(4);
    m_pathBar = new QHBoxLayout;
    m_pathBar->setSpacing(4);
    pathRow->addLayout(m_pathBar);
    pathRow->addStretch(1);
    m_currentSize = new TextLabel(QString(), Theme::systemFont(13, QFont::DemiBold, Theme::Design::rounded));
    m_currentSize->setObjectName(u"currentSize"_s);
    pathRow->addWidget(m_currentSize);
    column->addLayout(pathRow);

    m_canvas = new TreemapCanvas(*m_model);
    column->addWidget(m_canvas, 1);

    auto* info = new QWidget;
    info->setFixedHeight(26);
    auto* row = new QHBoxLayout(info);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(14);
    m_hoveredRow = new QWidget;
    auto* hoveredLayout = new QHBoxLayout(m_hoveredRow);
    hoveredLayout->setContentsMargins(0, 0, 0, 0);
    hoveredLayout->setSpacing(14);
    m_hoveredSymbol = new SymbolView(u"folder.fill"_s, 12, Theme::indigo());
    m_hoveredName = new TextLabel(QString(), Theme::systemFont(12, QFont::Medium));
    m_hoveredName->setObjectName(u"hoveredName"_s);
    m_hoveredSize =
        new TextLabel(QString(), Theme::systemFont(12, QFont::Normal, Theme::Design::rounded), Paint::Ink::secondary);
    m_hoveredSize->setObjectName(u"hoveredSize"_s);
    m_hoveredShare = new TextLabel(QString(), Theme::systemFont(11), Paint::Ink::tertiary);
    m_hoveredShare->setObjectName(u"hoveredShare"_s);
    hoveredLayout->addWidget(m_hoveredSymbol);
    hoveredLayout->addWidget(m_hoveredName);
    hoveredLayout->addWidget(m_hoveredSize);
    hoveredLayout->addWidget(m_hoveredShare);
    row->addWidget(m_hoveredRow);
    m_hint = new TextLabel(u"Survolez un bloc pour le détail, cliquez pour y entrer."_s, Theme::systemFont(11.5),
                           Paint::Ink::tertiary);
    m_hint->setObjectName(u"hoverHint"_s);
    row->addWidget(m_hint);
    row->addStretch(1);
    m_up = quietButton(u"Remonter"_s, u"upButton"_s);
    connect(m_up, &QAbstractButton::clicked, this, [this] { m_model->goUp(); });
    row->addWidget(m_up);
    StyledButton* reveal = quietButton(u"Afficher dans le Finder"_s, u"revealButton"_s);
    connect(reveal, &QAbstractButton::clicked, this, [this] {
        if (const SpaceNode* current = m_model->current())
            m_workspace.reveal(current->url());
    });
    row->addWidget(reveal);
    column->addWidget(info);
    return page;
}

void SpaceMapView::rebuildPathBar()
{
    const SpaceNode* current = m_model->current();
    const quint64 id = current ? current->id() : 0;
    if (id == m_pathFor)
        return;
    m_pathFor = id;
    while (QLayoutItem* item = m_pathBar->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    const std::vector<const SpaceNode*> path = m_model->path();
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 0) {
            auto* chevron = new SymbolView(u"chevron.right"_s, 8);
            chevron->setObjectName(u"pathChevron"_s);
            chevron->setColor(Paint::ink(this, Paint::Ink::tertiary));
            m_pathBar->addWidget(chevron);
        }
        const SpaceNode* node = path[i];
        QPushButton* entry = pathEntry(node->name(), i + 1 == path.size());
        connect(entry, &QPushButton::clicked, this, [this, id = node->id()] {
            // Found again by id: the button may outlive the tree it was made for.
            for (const SpaceNode* candidate : m_model->path()) {
                if (candidate->id() == id)
                    m_model->jumpTo(candidate);
            }
        });
        m_pathBar->addWidget(entry);
    }
}

void SpaceMapView::refresh()
{
    const SpaceMapViewModel& model = *m_model;
    if (model.isScanning()) {
        m_states->setCurrentWidget(m_scanning);
        m_status->setText(model.status());
        return;
    }
    const SpaceNode* current = model.current();
    if (!current) {
        m_states->setCurrentWidget(m_start);
        return;
    }
    m_states->setCurrentWidget(m_exploring);
    rebuildPathBar();
    m_currentSize->setText(spaceSizeText(current->size()));
    const auto& hovered = model.hovered();
    m_hoveredRow->setVisible(hovered.has_value());
    m_hint->setVisible(!hovered.has_value());
    if (hovered) {
        m_hoveredSymbol->setSymbol(hovered->isDirectory ? u"folder.fill"_s : u"doc.fill"_s);
        m_hoveredName->setText(hovered->name);
        m_hoveredSize->setText(spaceSizeText(hovered->size));
        m_hoveredShare->setText(u"· "_s + QString::number(sharePercent(hovered->size, current->size())) +
                                u" % de ce dossier"_s);
    }
    m_up->setVisible(current->parent() != nullptr);
}

QWidget* makeSpaceMapScreen(Platform::Workspace& workspace, Platform::OpenPanel& openPanel, QWidget* parent)
{
    auto* model = new SpaceMapViewModel;
    auto* view = new SpaceMapView(*model, workspace, openPanel, parent);
    model->setParent(view);
    return view;
}
