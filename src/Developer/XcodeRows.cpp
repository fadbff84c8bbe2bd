#include "Developer/XcodeRows.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Look/Capsule.h"
#include "Look/CardModifier.h"
#include "Look/Divider.h"
#include "Look/ElidedLabel.h"
#include "Look/Paint.h"
#include "Look/SoftIconTile.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Look/TriStateBox.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace XcodeTexts {

QString byteText(qint64 bytes)
{
    return bytes <= 0 ? u"0 Ko"_s : FileUtils::byteFormatter().string(bytes);
}

QString countText(qsizetype count, const QString& singular, const QString& plural)
{
    return QString::number(count) + u' ' + (count < 2 ? singular : plural);
}

QString selectionText(int count, qint64 bytes)
{
    if (count == 0)
        return u"Rien de sélectionné"_s;
    return countText(count, u"élément sélectionné"_s, u"éléments sélectionnés"_s) + u" · "_s + byteText(bytes);
}

QString freedText(qint64 bytes)
{
    return byteText(bytes) + u" récupérés."_s;
}

bool isBooted(const QString& state)
{
    return state.compare(u"Booted"_s, Qt::CaseInsensitive) == 0;
}

QStringList deviceLabels(const XcodeService::Device& device)
{
    QStringList labels;
    if (isBooted(device.state))
        labels.append(u"allumé"_s);
    if (!device.isAvailable)
        labels.append(u"runtime absent"_s);
    return labels;
}

QString deviceDetail(const XcodeService::Device& device)
{
    const std::optional<QString> used = FileUtils::relativeDate(device.lastUsed);
    return device.runtimeName + u" · "_s + (used ? u"utilisé "_s + *used : u"jamais utilisé"_s);
}

QString runtimeTitle(const XcodeService::Runtime& runtime)
{
    return runtime.name + u" ("_s + runtime.build + u')';
}

std::optional<QString> runtimeLabel(const XcodeService::Runtime& runtime)
{
    if (runtime.deviceCount > 0)
        return countText(runtime.deviceCount, u"appareil"_s, u"appareils"_s);
    if (!runtime.isDeletable)
        return u"fournie par Xcode"_s;
    return std::nullopt;
}

QString runtimeDetail(const XcodeService::Runtime& runtime)
{
    const std::optional<QString> used = FileUtils::relativeDate(runtime.lastUsed);
    return used ? u"utilisée "_s + *used : u"jamais utilisée"_s;
}

QString archiveDetail(const XcodeService::Archive& archive)
{
    const std::optional<QString> archived = FileUtils::relativeDate(archive.date);
    return archived ? u"archivée "_s + *archived : FileUtils::abbreviatedPath(archive.path);
}

} // namespace XcodeTexts

namespace {

// A row's small capsule label: 9.5-point semibold text in the tint on the tint at 15 %.
Capsule::Style pillStyle(const QColor& tint)
{
    Capsule::Style style;
    style.fontSize = 9.5;
    style.weight = QFont::DemiBold;
    style.horizontalPadding = 6;
    style.tint = tint;
    style.fillOpacity = 0.15;
    return style;
}

Capsule* pill(const QString& text, const QColor& tint)
{
    auto* made = new Capsule(text, pillStyle(tint));
    made->setObjectName(u"pill"_s);
    return made;
}

QFont titleFont()
{
    return Theme::systemFont(12.5, QFont::Medium);
}
QFont detailFont()
{
    return Theme::systemFont(11);
}
QFont sizeFont()
{
    return Theme::systemFont(12, QFont::Medium, Theme::Design::rounded);
}

constexpr int rowPaddingH = 14;
constexpr int rowPaddingV = 8;

// The texts of an item row: the title line, the detail line, room, then the size right-aligned.
QWidget* itemContent(QWidget* titleLine, const QString& detail, qint64 bytes)
{
    auto* content = new QWidget;
    auto* line = new QHBoxLayout(content);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(0);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(titleLine);
    auto* detailLabel = new ElidedLabel(detail, detailFont(), Paint::Ink::tertiary);
    detailLabel->setObjectName(u"rowDetail"_s);
    detailLabel->setElideMode(Qt::ElideRight);
    texts->addWidget(detailLabel);
    line->addLayout(texts, 1);
    line->addSpacing(8);
    auto* size = new TextLabel(XcodeTexts::byteText(bytes), sizeFont());
    size->setObjectName(u"rowSize"_s);
    size->setMinimumWidth(72);
    size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line->addWidget(size);
    return content;
}

// A title and its labels side by side, spacing 6.
QWidget* titleWithLabels(const QString& title, const QList<Capsule*>& pills)
{
    auto* holder = new QWidget;
    auto* line = new QHBoxLayout(holder);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(6);
    auto* label = new ElidedLabel(title, titleFont());
    label->setObjectName(u"rowTitle"_s);
    label->setElideMode(Qt::ElideRight);
    line->addWidget(label, 0, Qt::AlignVCenter);
    for (Capsule* capsule : pills)
        line->addWidget(capsule, 0, Qt::AlignVCenter);
    line->addStretch(1);
    return holder;
}

} // namespace

SelectableRow::SelectableRow(bool isSelected, bool isEnabled, const QColor& tint, std::function<void()> toggle,
                             QWidget* trailing, QWidget* parent)
    : QWidget(parent), m_isSelected(isSelected), m_isEnabled(isEnabled), m_toggle(std::move(toggle)),
      m_box(new TriStateBox(isSelected, tint))
{
    setAttribute(Qt::WA_Hover);
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(rowPaddingH, rowPaddingV, rowPaddingH, rowPaddingV);
    line->setSpacing(11);
    m_box->setObjectName(u"rowBox"_s);
    if (!m_isEnabled) {
        auto* dim = new QGraphicsOpacityEffect(m_box);
        dim->setOpacity(disabledBoxOpacity);
        m_box->setGraphicsEffect(dim);
    }
    line->addWidget(m_box, 0, Qt::AlignVCenter);
    line->addWidget(trailing, 1);
    // The whole row takes the click, whatever lies under the pointer.
    for (QWidget* child : trailing->findChildren<QWidget*>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    trailing->setAttribute(Qt::WA_TransparentForMouseEvents);
}

qreal SelectableRow::boxOpacity() const
{
    const auto* effect = qobject_cast<const QGraphicsOpacityEffect*>(m_box->graphicsEffect());
    return effect ? effect->opacity() : 1.0;
}

void SelectableRow::setSelected(bool selected)
{
    m_isSelected = selected;
    m_box->setState(selected);
}

void SelectableRow::paintEvent(QPaintEvent*)
{
    if (!m_isHovering || !m_isEnabled)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Paint::ink(this, Paint::Ink::primary, hoverOpacity));
}

void SelectableRow::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void SelectableRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    if (m_isEnabled && m_toggle)
        m_toggle();
}

void SelectableRow::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    m_isHovering = true;
    update();
}

void SelectableRow::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_isHovering = false;
    update();
}

SelectableRow* makeDeviceRow(const XcodeService::Device& device, bool isSelected, std::function<void()> toggle)
{
    QList<Capsule*> pills;
    for (const QString& label : XcodeTexts::deviceLabels(device))
        pills.append(pill(label, label == u"allumé"_s ? Theme::mint() : Theme::amber()));
    auto* row = new SelectableRow(
        isSelected, !XcodeTexts::isBooted(device.state), Theme::sky(), std::move(toggle),
        itemContent(titleWithLabels(device.name, pills), XcodeTexts::deviceDetail(device), device.bytes));
    row->setObjectName(u"deviceRow"_s);
    return row;
}

SelectableRow* makeRuntimeRow(const XcodeService::Runtime& runtime, bool isRemovable, bool isSelected,
                              std::function<void()> toggle)
{
    QList<Capsule*> pills;
    if (const std::optional<QString> label = XcodeTexts::runtimeLabel(runtime))
        pills.append(pill(*label, Theme::steel()));
    auto* row = new SelectableRow(isSelected, isRemovable, Theme::violet(), std::move(toggle),
                                  itemContent(titleWithLabels(XcodeTexts::runtimeTitle(runtime), pills),
                                              XcodeTexts::runtimeDetail(runtime), runtime.bytes));
    row->setObjectName(u"runtimeRow"_s);
    return row;
}

SelectableRow* makeArchiveRow(const XcodeService::Archive& archive, bool isSelected, std::function<void()> toggle)
{
    auto* row = new SelectableRow(
        isSelected, true, Theme::amber(), std::move(toggle),
        itemContent(titleWithLabels(archive.name, {}), XcodeTexts::archiveDetail(archive), archive.bytes));
    row->setObjectName(u"archiveRow"_s);
    return row;
}

XcodeSection::XcodeSection(const QString& title, const QString& note, const QString& symbol, const QColor& tint,
                           int rowCount, RowFactory makeRow, RowSelected isSelected, QWidget* parent)
    : QWidget(parent), m_rowCount(std::max(rowCount, 0)), m_isSelected(std::move(isSelected)), m_rowsArea(new QWidget),
      m_rows(m_rowsArea, [makeRow = std::move(makeRow)](int index) -> QWidget* { return makeRow(index); })
{
    std::vector<int> tops;
    tops.reserve(std::size_t(m_rowCount) + 1);
    for (int i = 0; i <= m_rowCount; ++i)
        tops.push_back(i * rowHeight());
    m_rows.setRowTops(std::move(tops));

    setObjectName(u"section"_s);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QWidget;
    auto* headerLine = new QHBoxLayout(header);
    headerLine->setContentsMargins(14, 11, 14, 11);
    headerLine->setSpacing(10);
    headerLine->addWidget(new SoftIconTile(symbol, tint, 22), 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto* titleLabel = new TextLabel(title, Theme::systemFont(13, QFont::DemiBold));
    titleLabel->setObjectName(u"sectionTitle"_s);
    auto* noteLabel = new TextLabel(note, Theme::systemFont(11), Paint::Ink::tertiary);
    noteLabel->setObjectName(u"sectionNote"_s);
    noteLabel->setWordWrap(true);
    texts->addWidget(titleLabel);
    texts->addWidget(noteLabel);
    headerLine->addLayout(texts, 1);
    headerLine->addSpacing(8);
    column->addWidget(header);
    column->addWidget(new Divider);
    m_rowsArea->setObjectName(u"sectionRows"_s);
    m_rowsArea->setFixedHeight(m_rowCount * rowHeight());
    column->addWidget(m_rowsArea);
    frame->addWidget(card(body, 0));
}

int XcodeSection::rowHeight()
{
    // The tallest the row's own widgets ask for, so that no row is cut.
    static const int height = [] {
        const int title =
            std::max(QFontMetrics(titleFont()).height(), Capsule::sizeFor(pillStyle(QColor()), QString()).height());
        const int texts = title + 1 + QFontMetrics(detailFont()).height();
        const int content = std::max({texts, TriStateBox::side, QFontMetrics(sizeFont()).height()});
        return 2 * rowPaddingV + content;
    }();
    return height;
}

void XcodeSection::showBand(int top, int bottom)
{
    const int origin = m_rowsArea->mapTo(this, QPoint(0, 0)).y();
    m_rows.showBand(top - origin, bottom - origin, m_rowsArea->width());
}

void XcodeSection::refreshSelection()
{
    for (int i = 0; i < m_rowCount; ++i) {
        if (auto* row = static_cast<SelectableRow*>(m_rows.builtRow(i)))
            row->setSelected(m_isSelected(i));
    }
}
