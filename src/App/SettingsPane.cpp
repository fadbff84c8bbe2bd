#include "App/SettingsPane.h"

#include "Look/Divider.h"
#include "Look/IconTile.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

SettingRow::SettingRow(const QString& title, const QString& detail, QWidget* control, QWidget* parent)
    : QWidget(parent), m_title(new TextLabel(title, Theme::systemFont(12.5, QFont::Medium))),
      m_detail(new TextLabel(detail, Theme::systemFont(11), Paint::Ink::secondary)), m_control(control)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_title->setObjectName(u"settingTitle"_s);
    m_detail->setObjectName(u"settingDetail"_s);
    m_detail->setWordWrap(true);
    texts->addWidget(m_title);
    texts->addWidget(m_detail);
    row->addLayout(texts, 1);
    // The least room between the texts and the control: the row's spacing on each side of a gap of 8. A layout
    // counts its spacing once across a spacer, hence one spacing added to the gap.
    row->addSpacing(8 + row->spacing());
    if (m_control != nullptr)
        row->addWidget(m_control, 0, Qt::AlignVCenter);
}

QString SettingRow::title() const
{
    return m_title->text();
}

QString SettingRow::detail() const
{
    return m_detail->text();
}

void SettingRow::setDetail(const QString& detail)
{
    if (m_detail->text() != detail)
        m_detail->setText(detail);
}

SettingsPane::SettingsPane(const QString& symbol, const QColor& tint, const QString& title, const QString& subtitle,
                           QWidget* parent)
    : QScrollArea(parent)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* content = new QWidget;
    content->setObjectName(u"settingsPaneContent"_s);
    m_column = new QVBoxLayout(content);
    m_column->setContentsMargins(20, 20, 20, 20);
    m_column->setSpacing(14);
    QWidget* header = makeHeader(symbol, tint, title, subtitle);
    header->layout()->setContentsMargins(0, 0, 0, 2);
    m_column->addWidget(header);
    m_column->addStretch(1);
    setWidget(content);
    QPalette wash = viewport()->palette();
    wash.setColor(QPalette::Window, background(this));
    viewport()->setPalette(wash);
    viewport()->setAutoFillBackground(true);
    content->setAutoFillBackground(false);
}

QWidget* SettingsPane::makeHeader(const QString& symbol, const QColor& tint, const QString& title,
                                  const QString& subtitle, QWidget* parent)
{
    auto* header = new QWidget(parent);
    header->setObjectName(u"settingsHeader"_s);
    auto* row = new QHBoxLayout(header);
    row->setSpacing(14);
    row->addWidget(new IconTile(symbol, tint, 38, true), 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* titleLabel = new TextLabel(title, Theme::systemFont(14, QFont::DemiBold));
    titleLabel->setObjectName(u"settingsTitle"_s);
    auto* subtitleLabel = new TextLabel(subtitle, Theme::systemFont(11.5), Paint::Ink::secondary);
    subtitleLabel->setObjectName(u"settingsSubtitle"_s);
    subtitleLabel->setWordWrap(true);
    texts->addWidget(titleLabel);
    texts->addWidget(subtitleLabel);
    row->addLayout(texts, 1);
    return header;
}

QColor SettingsPane::background(const QWidget* widget)
{
    const QPalette& palette = widget->palette();
    return Theme::blend(palette.color(QPalette::Base), palette.color(QPalette::Window), 0.25);
}

void SettingsPane::add(QWidget* widget)
{
    m_column->insertWidget(m_column->count() - 1, widget); // above the closing stretch
}

QWidget* SettingsPane::addDivider()
{
    auto* line = new Divider;
    add(line);
    return line;
}
