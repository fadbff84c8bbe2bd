#include "App/MenuBarPanel.h"

#include "App/AppState.h"
#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Look/Divider.h"
#include "Look/IconTile.h"
#include "Look/Paint.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Scan/Screen/ScanViewModel.h"

#include <algorithm>

#include <QAbstractButton>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString sizeText(qint64 bytes)
{
    return bytes > 0 ? FileUtils::byteFormatter().string(bytes) : u"0 Ko"_s;
}

// The startup disk: its name and fill, the gauge, what is left.
class DiskBlock final : public QWidget
{
public:
    static constexpr int rowHeight = 14;
    static constexpr int spacing = 6;
    static constexpr int barHeight = 6;
    static constexpr int lineHeight = 13;

    explicit DiskBlock(const MenuBarPanel::DiskFigures& figures, QWidget* parent) : QWidget(parent), m_figures(figures)
    {
        setObjectName(u"panelDisk"_s);
        setFixedHeight(rowHeight + spacing + barHeight + spacing + lineHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal w = width();
        qreal y = 0;
        const QRectF row(0, y, w, rowHeight);
        painter.setFont(Theme::systemFont(11, QFont::Medium));
        painter.setPen(Paint::ink(this));
        painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, u"Disque de démarrage"_s);
        painter.setFont(Theme::systemFont(11, QFont::DemiBold, Theme::Design::rounded));
        painter.setPen(m_figures.nearlyFull ? Theme::coral() : Paint::ink(this, Paint::Ink::secondary));
        painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter, m_figures.percentText);
        y += rowHeight + spacing;

        const QRectF track(0, y, w, barHeight);
        painter.fillPath(Paint::capsule(track), Paint::ink(this, Paint::Ink::primary, 0.1));
        const QRectF bar(0, y, std::max<qreal>(4.0, w * m_figures.used), barHeight);
        QLinearGradient gradient = Theme::gaugeGradient(m_figures.used);
        gradient.setCoordinateMode(QGradient::ObjectMode);
        painter.fillPath(Paint::capsule(bar), gradient);
        y += barHeight + spacing;

        painter.setFont(Theme::systemFont(10.5));
        painter.setPen(Paint::ink(this, Paint::Ink::tertiary));
        painter.drawText(QRectF(0, y, w, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, m_figures.freeText);
    }

private:
    const MenuBarPanel::DiskFigures& m_figures;
};

// One action row: symbol, title, and a soft highlight while the pointer is over it.
class ActionRow final : public QAbstractButton
{
public:
    ActionRow(const QString& title, const QString& symbol, QWidget* parent) : QAbstractButton(parent), m_symbol(symbol)
    {
        setText(title);
        setCursor(Qt::ArrowCursor);
        setFixedHeight(6 + 17 + 6);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        Paint::requireSymbol(m_symbol);
    }

protected:
    void enterEvent(QEnterEvent* event) override
    {
        setHovering(true);
        QAbstractButton::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override
    {
        setHovering(false);
        QAbstractButton::leaveEvent(event);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (m_hovering) {
            QPainterPath background;
            background.addRoundedRect(QRectF(rect()), 6, 6);
            painter.fillPath(background, Paint::ink(this, Paint::Ink::primary, 0.08));
        }
        const QRectF content = QRectF(rect()).adjusted(8, 6, -8, -6);
        Paint::drawSymbol(painter, m_symbol, QPointF(content.left() + 8, content.center().y()), 12,
                          Paint::ink(this, Paint::Ink::secondary));
        painter.setFont(Theme::systemFont(12.5));
        painter.setPen(Paint::ink(this));
        painter.drawText(content.adjusted(16 + 9, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    void setHovering(bool hovering)
    {
        m_hovering = hovering;
        setProperty("hovering", hovering); // readable by tests
        update();
    }

    QString m_symbol;
    bool m_hovering = false;
};

} // namespace

MenuBarPanel::DiskFigures MenuBarPanel::diskFigures(const SystemSnapshot& snapshot)
{
    DiskFigures figures;
    if (snapshot.diskTotal > 0) {
        const qint64 used = std::max<qint64>(snapshot.diskTotal - snapshot.diskFree, 0);
        figures.used = double(used) / double(snapshot.diskTotal);
    }
    figures.percent = int(figures.used * 100.0);
    figures.nearlyFull = figures.used > 0.9;
    figures.percentText = QString::number(figures.percent) + u" %"_s;
    figures.freeText = sizeText(snapshot.diskFree) + u" disponibles"_s;
    return figures;
}

QString MenuBarPanel::journalLine(const History& history)
{
    if (history.sessions().isEmpty())
        return u"Aucun nettoyage enregistré"_s;
    return sizeText(history.totalFreed()) + u" libérés au total"_s;
}

MenuBarPanel::MenuBarPanel(AppState& state, History& history, WindowOpener openWindow, std::function<void()> quit,
                           QWidget* parent)
    : QWidget(parent), m_state(state), m_history(history), m_openWindow(std::move(openWindow)), m_quit(std::move(quit)),
      m_journal(new QLabel(this))
{
    setObjectName(u"menuBarPanel"_s);
    setFixedWidth(panelWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);
    column->setSizeConstraint(QLayout::SetFixedSize);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(new IconTile(sfSymbol(u"sparkles"), Theme::indigo(), 26, true, this), 0, Qt::AlignVCenter);
    auto* names = new QVBoxLayout;
    names->setSpacing(1);
    auto* name = new QLabel(u"Quorvane Pro"_s, this);
    name->setFont(Theme::systemFont(13, QFont::DemiBold));
    m_journal->setObjectName(u"journalLine"_s);
    m_journal->setFont(Theme::systemFont(11));
    QPalette secondary = m_journal->palette();
    secondary.setColor(QPalette::WindowText, Paint::ink(this, Paint::Ink::secondary));
    m_journal->setPalette(secondary);
    names->addWidget(name);
    names->addWidget(m_journal);
    header->addLayout(names);
    header->addStretch();
    column->addLayout(header);
    column->addWidget(new Divider(0, this));

    m_diskBlock = new DiskBlock(m_disk, this);
    column->addWidget(m_diskBlock);
    column->addWidget(new Divider(0, this));

    auto* actions = new QVBoxLayout;
    actions->setSpacing(2);
    const auto addRow = [this, actions](const QString& title, const QString& symbol, std::function<void()> run) {
        auto* row = new ActionRow(title, symbol, this);
        row->setObjectName(u"panelAction"_s);
        connect(row, &QAbstractButton::clicked, this, std::move(run));
        actions->addWidget(row);
    };
    addRow(u"Ouvrir la fenêtre"_s, sfSymbol(u"macwindow"), [this] { m_openWindow(u"main"_s); });
    addRow(u"Lancer une analyse intelligente"_s, sfSymbol(u"sparkles"), [this] { startSmartScan(); });
    addRow(u"Historique de nettoyage"_s, sfSymbol(u"clock.arrow.circlepath"), [this] { m_openWindow(u"history"_s); });
    actions->addSpacing(3);
    actions->addWidget(new Divider(0, this));
    actions->addSpacing(3);
    addRow(u"Quitter Quorvane Pro"_s, sfSymbol(u"power"), [this] { m_quit(); });
    column->addLayout(actions);

    connect(&m_history, &History::changed, this, &MenuBarPanel::refreshFigures);
    connect(&m_state, &AppState::snapshotChanged, this, &MenuBarPanel::refreshFigures);
    refreshFigures();
}

QString MenuBarPanel::shownJournalLine() const
{
    return m_journal->text();
}

void MenuBarPanel::showEvent(QShowEvent* event)
{
    // The monitor may be stopped (main window closed): show the disk as it is now.
    m_state.refresh();
    refreshFigures();
    QWidget::showEvent(event);
}

void MenuBarPanel::refreshFigures()
{
    m_journal->setText(journalLine(m_history));
    m_disk = diskFigures(m_state.snapshot());
    m_diskBlock->update();
}

void MenuBarPanel::startSmartScan()
{
    m_state.setSelection(ModuleID::smartScan);
    m_openWindow(u"main"_s);
    // A scan or a cleaning under way is left alone.
    if (ScanViewModel* model = m_state.model(ModuleID::smartScan))
        model->scan();
}
