#include "App/ExclusionsPane.h"

#include "App/ExclusionsPaneViewModel.h"
#include "App/SettingsPane.h"
#include "Look/Divider.h"
#include "Look/ElidedLabel.h"
#include "Look/EmptyArt.h"
#include "Look/Paint.h"
#include "Look/StyledButton.h"
#include "Look/SymbolButton.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QIcon>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int rowPadding = 7;
constexpr int iconLeading = 14;
constexpr int iconSide = 18;
constexpr int dividerIndent = 44;

QFont nameFont()
{
    return Theme::systemFont(12.5);
}

// The dashed outline over the pane while a drag of files hovers; it lets every event through.
class DropOutline final : public QWidget
{
public:
    explicit DropOutline(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setObjectName(u"dropOutline"_s);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        constexpr qreal lineWidth = 2;
        QPen pen(Theme::indigo(), lineWidth, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setDashPattern({6 / lineWidth, 4 / lineWidth}); // Qt counts dashes in line widths
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.drawPath(Paint::insetRoundedRect(QRectF(rect()).adjusted(6, 6, -6, -6), 8, lineWidth));
    }
};

} // namespace

ExclusionRow::ExclusionRow(ExclusionsPaneViewModel& model, Platform::Workspace& workspace, const QString& path,
                           QWidget* parent)
    : QWidget(parent), m_model(model), m_workspace(workspace), m_path(path),
      m_name(new ElidedLabel(ExclusionsPaneViewModel::name(path), nameFont())),
      m_place(new ElidedLabel(ExclusionsPaneViewModel::abbreviated(path), Theme::monoFont(), Paint::Ink::tertiary)),
      m_absent(new TextLabel(u"absent"_s, Theme::systemFont(10, QFont::Medium), Paint::Ink::tertiary)),
      m_reveal(new SymbolButton(sfSymbol(u"arrow.up.forward.app"), 11)),
      m_remove(new SymbolButton(sfSymbol(u"minus.circle"), 11))
{
    setObjectName(u"exclusionRow"_s);
    setAttribute(Qt::WA_Hover);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(iconLeading, rowPadding, 14, rowPadding + 1); // and the divider below
    row->setSpacing(11);
    // The icon is painted there. A layout puts no spacing beside a spacer, so the gap after the icon is part of it.
    row->addSpacing(iconSide + row->spacing());
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    m_name->setObjectName(u"exclusionName"_s);
    m_place->setObjectName(u"exclusionPlace"_s);
    texts->addWidget(m_name);
    texts->addWidget(m_place);
    row->addLayout(texts, 1);
    row->addSpacing(8 + row->spacing()); // the least room kept between the texts and what follows them
    m_absent->setObjectName(u"absentLabel"_s);
    m_absent->setToolTip(u"Ce chemin n'existe plus. L'exclusion reste valable s'il réapparaît."_s);
    row->addWidget(m_absent);
    m_reveal->setObjectName(u"revealButton"_s);
    m_reveal->setToolTip(u"Afficher dans le Finder"_s);
    m_remove->setObjectName(u"unexcludeButton"_s);
    m_remove->setToolTip(u"Ne plus exclure"_s);
    row->addWidget(m_reveal);
    row->addWidget(m_remove);
    setFixedHeight(rowHeight());
    connect(m_reveal, &QAbstractButton::clicked, this, [this] { m_model.reveal(m_path); });
    // The row may go with the change it causes: the removal waits until its click is over.
    connect(
        m_remove, &QAbstractButton::clicked, &m_model, [model = &m_model, path = m_path] { model->remove(path); },
        Qt::QueuedConnection);
    refresh();
}

int ExclusionRow::rowHeight()
{
    return 2 * rowPadding + QFontMetrics(nameFont()).height() + 1 + QFontMetrics(Theme::monoFont()).height() + 1;
}

void ExclusionRow::refresh()
{
    m_exists = ExclusionsPaneViewModel::exists(m_path);
    m_selected = m_model.selection() == m_path;
    m_absent->setVisible(!m_exists);
    m_reveal->setVisible(m_hovering);
    m_reveal->setEnabled(m_exists);
    m_remove->setVisible(m_hovering);
    update();
}

void ExclusionRow::setHovering(bool hovering)
{
    if (m_hovering == hovering)
        return;
    m_hovering = hovering;
    refresh();
}

void ExclusionRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect body(0, 0, width(), height() - 1);
    if (m_selected)
        painter.fillRect(body, Paint::withOpacity(Theme::indigo(), 0.16));
    else if (m_hovering)
        painter.fillRect(body, Paint::ink(this, Paint::Ink::primary, 0.04));
    // Asked at every drawing: the file manager's icon follows what is at the path now.
    const QIcon icon = m_workspace.icon(m_path);
    painter.setOpacity(m_exists ? 1.0 : 0.4);
    icon.paint(&painter, QRect(iconLeading, (body.height() - iconSide) / 2, iconSide, iconSide));
    painter.setOpacity(1);
    painter.fillRect(QRect(dividerIndent, height() - 1, std::max(0, width() - dividerIndent), 1),
                     Paint::ink(this, Paint::Ink::primary, Divider::opacity));
}

void ExclusionRow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_model.select(m_path);
    QWidget::mousePressEvent(event);
}

void ExclusionRow::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    setHovering(true);
}

void ExclusionRow::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setHovering(false);
}

ExclusionList::ExclusionList(ExclusionsPaneViewModel& model, Platform::Workspace& workspace, QWidget* parent)
    : QScrollArea(parent), m_model(model), m_workspace(workspace), m_canvas(new QWidget)
{
    setObjectName(u"exclusionList"_s);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    m_canvas->setObjectName(u"exclusionCanvas"_s);
    setWidget(m_canvas);
    viewport()->setAutoFillBackground(false);
    m_canvas->setAutoFillBackground(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ExclusionList::placeRows);
}

QList<ExclusionRow*> ExclusionList::rows() const
{
    QList<ExclusionRow*> made;
    for (const QString& path : m_paths) {
        if (ExclusionRow* row = m_rows.value(path))
            made.append(row);
    }
    return made;
}

void ExclusionList::refresh()
{
    m_paths = m_model.paths();
    m_canvas->resize(viewport()->width(), static_cast<int>(m_paths.size()) * ExclusionRow::rowHeight());
    placeRows();
    for (ExclusionRow* row : std::as_const(m_rows))
        row->refresh();
}

bool ExclusionList::viewportEvent(QEvent* event)
{
    const bool handled = QScrollArea::viewportEvent(event);
    if (event->type() == QEvent::Resize) {
        m_canvas->resize(viewport()->width(), m_canvas->height());
        placeRows();
    }
    return handled;
}

void ExclusionList::placeRows()
{
    const int height = ExclusionRow::rowHeight();
    const int viewportHeight = std::max(viewport()->height(), height);
    const int top = verticalScrollBar()->value() - viewportHeight;
    const int bottom = verticalScrollBar()->value() + 2 * viewportHeight;
    const int first = std::max(0, top / height);
    const int last = std::min(static_cast<int>(m_paths.size()) - 1, bottom / height);
    QHash<QString, ExclusionRow*> kept;
    for (int i = first; i <= last; ++i) {
        const QString& path = m_paths[i];
        ExclusionRow* row = m_rows.take(path);
        if (row == nullptr) {
            row = new ExclusionRow(m_model, m_workspace, path, m_canvas);
            row->show();
        }
        row->setGeometry(0, i * height, m_canvas->width(), height);
        kept.insert(path, row);
    }
    // Rows far from view, or whose path left the list, go once the current event is over: one of them may be the
    // sender of the change.
    for (ExclusionRow* gone : std::as_const(m_rows)) {
        gone->hide();
        gone->deleteLater();
    }
    m_rows = kept;
}

ExclusionsPane::ExclusionsPane(ExclusionsPaneViewModel& model, Platform::Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_model(model), m_body(new QStackedLayout), m_empty(new QWidget),
      m_list(new ExclusionList(model, workspace)), m_removeSelected(new StyledButton(u"Retirer"_s, QuietButtonStyle{})),
      m_count(new TextLabel(QString(), Theme::systemFont(11), Paint::Ink::tertiary)),
      m_removeAll(new StyledButton(u"Tout retirer"_s, QuietButtonStyle{})), m_outline(nullptr)
{
    setObjectName(u"exclusionsPane"_s);
    setAcceptDrops(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    QWidget* header = SettingsPane::makeHeader(
        sfSymbol(u"hand.raised.slash"), Theme::green(), u"Emplacements exclus"_s,
        u"Ni proposés à l'analyse, ni supprimés — y compris tout ce qu'ils contiennent. Le filtre s'applique à la "
        u"construction des listes et une seconde fois avant chaque suppression."_s);
    header->layout()->setContentsMargins(16, 16, 16, 16);
    column->addWidget(header);
    column->addWidget(new Divider);

    m_empty->setObjectName(u"exclusionsEmpty"_s);
    auto* empty = new QVBoxLayout(m_empty);
    empty->setSpacing(14);
    empty->addStretch(1);
    empty->addWidget(new EmptyArt(sfSymbol(u"folder.badge.questionmark"), Theme::green(), 96), 0, Qt::AlignHCenter);
    auto* none = new TextLabel(u"Aucune exclusion"_s, Theme::systemFont(13, QFont::Medium));
    none->setAlignment(Qt::AlignHCenter);
    empty->addWidget(none);
    auto* hint = new TextLabel(
        u"Glissez un dossier ici, ou utilisez «\u00A0Exclure de toutes les analyses\u00A0»\nsur une ligne "
        u"de résultats."_s,
        Theme::systemFont(11.5), Paint::Ink::secondary);
    hint->setAlignment(Qt::AlignHCenter);
    empty->addWidget(hint);
    empty->addStretch(1);
    m_body->addWidget(m_empty);
    m_body->addWidget(m_list);
    column->addLayout(m_body, 1);
    column->addWidget(new Divider);

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(12, 12, 12, 12);
    footer->setSpacing(10);
    auto* add = new StyledButton(u"Ajouter…"_s, QuietButtonStyle{});
    add->setObjectName(u"addExclusionButton"_s);
    footer->addWidget(add);
    m_removeSelected->setObjectName(u"removeSelectedButton"_s);
    footer->addWidget(m_removeSelected);
    footer->addStretch(1);
    m_count->setObjectName(u"exclusionCount"_s);
    footer->addWidget(m_count);
    m_removeAll->setObjectName(u"removeAllButton"_s);
    footer->addWidget(m_removeAll);
    column->addLayout(footer);

    m_outline = new DropOutline(this);
    m_outline->hide();

    connect(add, &QAbstractButton::clicked, this, [this] { m_model.addThroughPanel(); });
    connect(m_removeSelected, &QAbstractButton::clicked, this, [this] { m_model.removeSelected(); });
    connect(m_removeAll, &QAbstractButton::clicked, this, [this] { m_model.removeAll(); });
    connect(&m_model, &ExclusionsPaneViewModel::changed, this, &ExclusionsPane::refresh);
    refresh();
}

QLabel* ExclusionsPane::countLabel() const
{
    return m_count;
}

void ExclusionsPane::refresh()
{
    const bool empty = m_model.paths().isEmpty();
    m_body->setCurrentWidget(empty ? m_empty : static_cast<QWidget*>(m_list));
    m_list->refresh();
    m_removeSelected->setVisible(m_model.showsRemoveSelected());
    m_count->setText(m_model.countText());
    m_count->setVisible(!empty);
    m_removeAll->setVisible(!empty);
}

void ExclusionsPane::setTargeted(bool targeted)
{
    if (m_targeted == targeted)
        return;
    m_targeted = targeted;
    m_outline->setGeometry(rect());
    m_outline->setVisible(targeted);
    m_outline->raise();
}

void ExclusionsPane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), SettingsPane::background(this));
}

void ExclusionsPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_outline->setGeometry(rect());
}

void ExclusionsPane::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void ExclusionsPane::dragEnterEvent(QDragEnterEvent* event)
{
    // Only a drag that carries files or folders is taken, and outlines the pane.
    if (!ExclusionsPaneViewModel::carriesFileURLs(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setTargeted(true);
}

void ExclusionsPane::dragMoveEvent(QDragMoveEvent* event)
{
    if (ExclusionsPaneViewModel::carriesFileURLs(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ExclusionsPane::dragLeaveEvent(QDragLeaveEvent* event)
{
    QWidget::dragLeaveEvent(event);
    setTargeted(false);
}

void ExclusionsPane::dropEvent(QDropEvent* event)
{
    setTargeted(false);
    if (!ExclusionsPaneViewModel::carriesFileURLs(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_model.addDropped(event->mimeData()->urls());
}
