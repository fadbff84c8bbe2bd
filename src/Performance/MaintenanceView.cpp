#include "Performance/MaintenanceView.h"

#include "Look/CardModifier.h"
#include "Look/ElidedLabel.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/SpinnerRing.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Look/TriStateBox.h"
#include "Performance/MaintenanceViewModel.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScrollArea>
#include <QVBoxLayout>

namespace MaintenanceScreen {

// One task: its box, symbol, title (with a lock when it asks for the password), detail and status. A tap
// anywhere on it toggles the task, except while a run is under way.
class TaskRow final : public QWidget
{
public:
    TaskRow(MaintenanceViewModel& model, const MaintenanceTask& task, QWidget* parent)
        : QWidget(parent), m_model(model), m_id(task.id)
    {
        setObjectName(QStringLiteral("maintenanceRow_") + task.id);
        auto* card = new CardModifier(0, this);
        auto* outer = new QVBoxLayout(this);
        outer->setContentsMargins(0, 0, 0, 0);
        outer->addWidget(card);
        auto* content = new QWidget;
        auto* row = new QHBoxLayout(content);
        row->setContentsMargins(14, 14, 14, 14);
        row->setSpacing(12);
        m_box = new TriStateBox(false, Theme::indigo());
        row->addWidget(m_box);
        auto* symbol = new SymbolView(task.symbol, 14, Theme::indigo());
        symbol->setFixedWidth(22);
        row->addWidget(symbol);
        auto* column = new QVBoxLayout;
        column->setSpacing(2);
        auto* titleLine = new QHBoxLayout;
        titleLine->setSpacing(6);
        titleLine->addWidget(new TextLabel(task.title, Theme::systemFont(13, QFont::Medium)));
        if (task.needsAdmin) {
            auto* lock = new SymbolView(QStringLiteral("lock.fill"), 9, Theme::amber());
            lock->setToolTip(QStringLiteral("Demande une authentification administrateur"));
            titleLine->addWidget(lock);
        }
        titleLine->addStretch();
        column->addLayout(titleLine);
        auto* detail = new TextLabel(task.detail, Theme::systemFont(11.5), Paint::Ink::secondary);
        detail->setWordWrap(true);
        column->addWidget(detail);
        row->addLayout(column, 1);
        row->addSpacing(10);
        m_spinner = new SpinnerRing(2);
        m_spinner->setFixedSize(16, 16);
        row->addWidget(m_spinner);
        m_statusSymbol = new SymbolView(QStringLiteral("checkmark.circle.fill"), 11);
        row->addWidget(m_statusSymbol);
        // One line, shortened where it does not fit: a long error report never widens the list.
        m_status = new ElidedLabel(QString(), Theme::systemFont(11));
        m_status->setElideMode(Qt::ElideRight);
        m_status->setObjectName(QStringLiteral("maintenanceOutcome"));
        row->addWidget(m_status);
        card->setContent(content);
    }

    void refresh()
    {
        m_box->setState(m_model.selected().contains(m_id));
        const bool running = m_model.running() == m_id;
        m_spinner->setVisible(running);
        const bool hasOutcome = !running && m_model.outcomes().contains(m_id);
        const bool failed = m_model.failures().contains(m_id);
        m_statusSymbol->setVisible(hasOutcome);
        m_status->setVisible(hasOutcome);
        if (hasOutcome) {
            const QColor& color = failed ? Theme::amber() : Theme::mint();
            m_statusSymbol->setSymbol(failed ? QStringLiteral("exclamationmark.triangle.fill")
                                             : QStringLiteral("checkmark.circle.fill"));
            m_statusSymbol->setColor(color);
            // One line: only the first line of a longer report shows; the whole report on hovering.
            const QString message = m_model.outcomes().value(m_id);
            m_status->setText(message.section(QLatin1Char('\n'), 0, 0));
            m_status->setToolTip(message);
            m_status->setColor(color);
        }
    }

    QString statusText() const { return m_status->isVisible() ? m_status->text() : QString(); }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && !m_model.running())
            m_model.toggle(m_id);
    }

private:
    MaintenanceViewModel& m_model;
    QString m_id;
    TriStateBox* m_box = nullptr;
    SpinnerRing* m_spinner = nullptr;
    SymbolView* m_statusSymbol = nullptr;
    ElidedLabel* m_status = nullptr;
};

} // namespace MaintenanceScreen

MaintenanceView::MaintenanceView(MaintenanceViewModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(ModuleHeader::screenMargins());
    layout->setSpacing(16);
    layout->addWidget(new ModuleHeader(ModuleID::maintenance));
    layout->addWidget(new NoticeBanner(
        NoticeBanner::Kind::info, QStringLiteral("Certaines tâches demandent votre mot de passe"),
        QStringLiteral("L'élévation passe par macOS lui-même. L'app ne voit ni ne conserve votre mot de passe.")));
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* list = new QWidget;
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(8);
    for (const MaintenanceTask& task : m_model.tasks()) {
        auto* row = new MaintenanceScreen::TaskRow(m_model, task, list);
        m_rows.push_back(row);
        rows->addWidget(row);
    }
    rows->addStretch();
    scroll->setWidget(list);
    layout->addWidget(scroll, 1);
    auto* footer = new QHBoxLayout;
    m_counter = new TextLabel(QString(), Theme::systemFont(12), Paint::Ink::secondary);
    m_counter->setObjectName(QStringLiteral("maintenanceCounter"));
    footer->addWidget(m_counter);
    footer->addStretch();
    m_runButton = new StyledButton(QStringLiteral("Exécuter"), PrimaryButtonStyle{});
    m_runButton->setObjectName(QStringLiteral("maintenanceRunButton"));
    connect(m_runButton, &QAbstractButton::clicked, &m_model, &MaintenanceViewModel::run);
    footer->addWidget(m_runButton);
    layout->addLayout(footer);
    connect(&m_model, &MaintenanceViewModel::changed, this, &MaintenanceView::refresh);
    refresh();
}

void MaintenanceView::refresh()
{
    for (MaintenanceScreen::TaskRow* row : m_rows)
        row->refresh();
    m_counter->setText(m_model.counterText());
    // Enabled look with a selection; inert during a run whatever the look.
    m_runButton->setButtonStyle(PrimaryButtonStyle{Theme::accentGradient(), !m_model.selected().isEmpty()});
    m_runButton->setEnabled(m_model.canRun());
}
