#include "Scan/SmartScan/SmartScanView.h"

#include "Core/FileUtils.h"
#include "Core/SystemInfo.h"
#include "Look/CardModifier.h"
#include "Look/ElidedLabel.h"
#include "Look/GaugeRing.h"
#include "Look/HaloArt.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/OverlayScrollBar.h"
#include "Look/Paint.h"
#include "Look/SpinnerRing.h"
#include "Look/StyledButton.h"
#include "Look/SuccessArt.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Scan/Screen/FailureCard.h"
#include "Scan/Screen/ScanModuleView.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/Screen/ScanningState.h"
#include "Scan/SmartScan/SmartScanFigures.h"
#include "Scan/SmartScan/SmartScanGroupSummary.h"
#include "Scanners/ModuleRegistry.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Centred by stretches rather than by alignment, so that a wrapping or shortened text gets the width it may take
// (up to its maximum) and keeps the height that width asks for.
QHBoxLayout* centred(QWidget* widget)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addWidget(widget, 100);
    row->addStretch(1);
    return row;
}

TextLabel* percentLabel(const QString& name)
{
    auto* label = new TextLabel(QString(), Theme::systemFont(36, QFont::DemiBold, Theme::Design::rounded));
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

ElidedLabel* statusLabel(const QString& name)
{
    auto* label = new ElidedLabel(QString(), Theme::monoFont(), Paint::Ink::tertiary);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setMaximumWidth(SmartScanView::statusWidth);
    return label;
}

// A wrapping line in one colour of its own, centred.
QLabel* colouredLine(const QString& name, qreal size, QFont::Weight weight, const QColor& colour)
{
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setFont(Theme::systemFont(size, weight));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

StyledButton* button(const QString& title, const StyledButton::Style& style, const QString& name)
{
    auto* made = new StyledButton(title, style);
    made->setObjectName(name);
    return made;
}

// `font`, or smaller when `text` would be wider than `width` in it: a figure keeps inside its ring.
QFont fitted(const QFont& font, const QString& text, int width)
{
    const int natural = QFontMetrics(font).horizontalAdvance(text);
    if (natural <= width || font.pixelSize() <= 0)
        return font;
    QFont smaller = font;
    smaller.setPixelSize(std::max(1, font.pixelSize() * width / natural));
    return smaller;
}

PrimaryButtonStyle primary(bool enabled = true)
{
    return PrimaryButtonStyle{Theme::accentGradient(), enabled};
}

// The system version in a faint capsule, at the header's end.
class VersionPill final : public QWidget
{
public:
    explicit VersionPill(const QString& version)
    {
        setObjectName(u"versionPill"_s);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(10, 5, 10, 5);
        auto* text = new TextLabel(version, Theme::systemFont(11, QFont::Medium), Paint::Ink::secondary);
        text->setObjectName(u"versionText"_s);
        row->addWidget(text);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(Paint::capsule(rect()), Paint::ink(this, Paint::Ink::primary, 0.06));
    }
};

} // namespace

// What the summary card shows in one phase: a centred column, updated in place from the model by refresh().
class SmartScanView::Content : public QWidget
{
public:
    Content(const QString& name, ScanViewModel& model) : m_model(model), m_column(new QVBoxLayout(this))
    {
        setObjectName(name);
        m_column->setContentsMargins(0, 0, 0, 0);
        m_column->setSpacing(contentSpacing);
    }

    virtual void refresh() {}

protected:
    void add(QWidget* widget) { m_column->addWidget(widget, 0, Qt::AlignHCenter); }
    void addStretched(QWidget* widget) { m_column->addLayout(centred(widget)); }
    QWidget* ring(QWidget* round, QWidget* centre = nullptr)
    {
        auto* frame = new QWidget;
        frame->setFixedSize(ringSide, ringSide);
        auto* stack = new QGridLayout(frame);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->addWidget(round, 0, 0);
        if (centre)
            stack->addWidget(centre, 0, 0, Qt::AlignCenter);
        return frame;
    }

    ScanViewModel& m_model;
    QVBoxLayout* m_column;
};

class SmartScanView::IdleContent final : public Content
{
public:
    explicit IdleContent(ScanViewModel& model) : Content(u"idleContent"_s, model)
    {
        add(new HaloArt(sfSymbol(u"sparkles"), Theme::indigo(), 186, true));
        auto* invitation =
            new TextLabel(u"Une passe sur les fichiers inutiles, les corbeilles et les menaces connues."_s,
                          Theme::systemFont(12), Paint::Ink::secondary);
        invitation->setObjectName(u"invitationText"_s);
        invitation->setWordWrap(true);
        invitation->setAlignment(Qt::AlignCenter);
        invitation->setMaximumWidth(invitationWidth);
        addStretched(invitation);
        auto* scan = button(u"Analyser"_s, primary(), u"scanButton"_s);
        connect(scan, &QAbstractButton::clicked, this, [this] { m_model.scan(); });
        add(scan);
    }
};

class SmartScanView::ScanningContent final : public Content
{
public:
    explicit ScanningContent(ScanViewModel& model)
        : Content(u"scanningContent"_s, model), m_percent(percentLabel(u"scanPercent"_s)),
          m_status(statusLabel(u"scanStatus"_s))
    {
        add(ring(new SpinnerRing(ringLineWidth), m_percent));
        addStretched(m_status);
        auto* stop = button(u"Arrêter"_s, QuietButtonStyle{}, u"cancelButton"_s);
        connect(stop, &QAbstractButton::clicked, this, [this] { m_model.cancel(); });
        add(stop);
        refresh();
    }

    void refresh() override
    {
        m_percent->setText(ScanningState::percentText(m_model.progress()));
        m_status->setText(statusText(m_model.status(), false));
    }

private:
    TextLabel* m_percent;
    ElidedLabel* m_status;
};

class SmartScanView::EmptyContent final : public Content
{
public:
    explicit EmptyContent(ScanViewModel& model) : Content(u"emptyContent"_s, model)
    {
        add(new SuccessArt(150, Theme::mint()));
        auto* line = new TextLabel(u"Rien à nettoyer pour l'instant."_s, Theme::systemFont(13), Paint::Ink::secondary);
        line->setObjectName(u"emptyMessage"_s);
        add(line);
        auto* again = button(u"Relancer"_s, QuietButtonStyle{}, u"rescanButton"_s);
        connect(again, &QAbstractButton::clicked, this, [this] { m_model.scan(); });
        add(again);
    }
};

class SmartScanView::ResultsContent final : public Content
{
public:
    explicit ResultsContent(ScanViewModel& model)
        : Content(u"resultsContent"_s, model), m_value(new TextLabel(QString(), valueFont())),
          m_unit(new TextLabel(QString(), Theme::systemFont(14, QFont::DemiBold), Paint::Ink::secondary)),
          m_recoverable(new TextLabel(QString(), Theme::systemFont(12), Paint::Ink::secondary)),
          m_clean(button(u"Tout nettoyer"_s, primary(), u"cleanButton"_s))
    {
        auto* figure = new QWidget;
        auto* stack = new QVBoxLayout(figure);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(0);
        m_value->setObjectName(u"gaugeValue"_s);
        m_unit->setObjectName(u"gaugeUnit"_s);
        stack->addWidget(m_value, 0, Qt::AlignHCenter);
        stack->addWidget(m_unit, 0, Qt::AlignHCenter);
        auto* gauge = new GaugeRing(1, Theme::accentGradient(), ringLineWidth);
        gauge->setObjectName(u"resultsGauge"_s);
        add(ring(gauge, figure));

        m_recoverable->setObjectName(u"recoverableLine"_s);
        m_recoverable->setWordWrap(true);
        m_recoverable->setAlignment(Qt::AlignCenter);
        addStretched(m_recoverable);

        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(10);
        buttons->addStretch(1);
        buttons->addWidget(m_clean, 0, Qt::AlignVCenter);
        auto* again = button(u"Relancer"_s, QuietButtonStyle{}, u"rescanButton"_s);
        buttons->addWidget(again, 0, Qt::AlignVCenter);
        buttons->addStretch(1);
        m_column->addLayout(buttons);

        // Cleans what is selected at the moment of the click, exactly as the user left it.
        connect(m_clean, &QAbstractButton::clicked, this, [this] { m_model.clean(); });
        connect(again, &QAbstractButton::clicked, this, [this] { m_model.scan(); });
        refresh();
    }

    void refresh() override
    {
        const FileUtils::SplitByteCount split = FileUtils::splitByteCount(m_model.selectedBytes());
        m_value->setText(split.value);
        m_value->setFont(fitted(valueFont(), split.value, ringSide - 2 * static_cast<int>(ringLineWidth) - 24));
        m_unit->setText(split.unit);
        m_recoverable->setText(recoverableText(m_model.totalItemCount()));
        const bool any = m_model.selectedCount() > 0;
        m_clean->setButtonStyle(primary(any));
        // The look only dims the button; it must not take clicks either.
        m_clean->setEnabled(any);
    }

private:
    static QFont valueFont() { return Theme::systemFont(42, QFont::Bold, Theme::Design::rounded); }

    TextLabel* m_value;
    TextLabel* m_unit;
    TextLabel* m_recoverable;
    StyledButton* m_clean;
};

class SmartScanView::CleaningContent final : public Content
{
public:
    explicit CleaningContent(ScanViewModel& model)
        : Content(u"cleaningContent"_s, model), m_percent(percentLabel(u"cleaningPercent"_s)),
          m_gauge(new GaugeRing(model.progress(), Theme::accentGradient(), ringLineWidth)),
          m_status(statusLabel(u"cleaningStatus"_s))
    {
        m_gauge->setObjectName(u"cleaningGauge"_s);
        add(ring(m_gauge, m_percent));
        addStretched(m_status);
        refresh();
    }

    void refresh() override
    {
        m_gauge->setFraction(m_model.progress());
        m_percent->setText(ScanningState::percentText(m_model.progress()));
        m_status->setText(statusText(m_model.status(), true));
    }

private:
    TextLabel* m_percent;
    GaugeRing* m_gauge;
    ElidedLabel* m_status;
};

class SmartScanView::FinishedContent final : public Content
{
public:
    explicit FinishedContent(ScanViewModel& model)
        : Content(u"finishedContent"_s, model),
          m_freed(new TextLabel(QString(), Theme::systemFont(18, QFont::DemiBold))),
          m_ignored(colouredLine(u"ignoredLine"_s, 11, QFont::Normal, Theme::amber())), m_failures(new FailureCard),
          m_safetyNet(colouredLine(u"safetyNetNotice"_s, 11, QFont::Normal, Theme::amber()))
    {
        add(new SuccessArt(150, Theme::mint()));
        auto* report = new QVBoxLayout;
        report->setSpacing(2);
        m_freed->setObjectName(u"freedLine"_s);
        report->addWidget(m_freed, 0, Qt::AlignHCenter);
        report->addLayout(centred(m_ignored));
        // Which items stayed, and why, as the module screens say it.
        QHBoxLayout* failures = centred(m_failures);
        failures->setContentsMargins(0, 6, 0, 6);
        report->addLayout(failures);
        // When no snapshot could be taken before the cleaning, the user is told there is no way back through one.
        m_safetyNet->setMaximumWidth(invitationWidth);
        report->addLayout(centred(m_safetyNet));
        m_column->addLayout(report);
        auto* again = button(u"Nouvelle analyse"_s, primary(), u"newScanButton"_s);
        connect(again, &QAbstractButton::clicked, this, [this] { m_model.scan(); });
        add(again);
        refresh();
    }

    void refresh() override
    {
        m_freed->setText(FileUtils::byteFormatter().string(m_model.freedBytes()) + u" libérés"_s);
        const QStringList& failures = m_model.failures();
        m_ignored->setText(ignoredText(failures.size()));
        m_ignored->setVisible(!failures.isEmpty());
        m_failures->setFailures(failures);
        const std::optional<QString>& safetyNet = m_model.safetyNetNotice();
        m_safetyNet->setText(safetyNet.value_or(QString()));
        m_safetyNet->setVisible(safetyNet.has_value());
    }

private:
    TextLabel* m_freed;
    QLabel* m_ignored;
    FailureCard* m_failures;
    QLabel* m_safetyNet;
};

QString SmartScanView::recoverableText(qsizetype itemCount)
{
    return u"récupérables sur "_s + QString::number(itemCount) + (itemCount < 2 ? u" élément"_s : u" éléments"_s);
}

QString SmartScanView::ignoredText(qsizetype failureCount)
{
    return QString::number(failureCount) + (failureCount < 2 ? u" élément ignoré"_s : u" éléments ignorés"_s);
}

QString SmartScanView::statusText(const QString& status, bool cleaning)
{
    if (!status.isEmpty())
        return status;
    return cleaning ? u"Suppression…"_s : u"Analyse…"_s;
}

SmartScanView::SmartScanView(ScanViewModel& model, bool hasFullDiskAccess, Platform::Workspace& workspace,
                             const Modules::AppFigures& figures, QWidget* parent)
    : QWidget(parent), m_model(model), m_workspace(workspace), m_scroll(new QScrollArea),
      m_figures(new SmartScanFigures(figures, SystemInfo::hardwareModel())), m_groups(new SmartScanGroupSummary(model))
{
    setObjectName(u"smartScanView"_s);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    frame->addWidget(m_scroll);

    auto* page = new QWidget;
    page->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(ModuleHeader::screenMargins());
    column->setSpacing(spacing);
    column->addWidget(new ModuleHeader(ModuleID::smartScan, new VersionPill(SystemInfo::osVersionString())));

    // Access granted while the program runs is seen at its next start, so the warning is decided once.
    if (!hasFullDiskAccess) {
        auto* notice = new NoticeBanner(
            NoticeBanner::Kind::warning, u"Accès complet au disque non accordé"_s,
            u"Les modules Mail, Confidentialité et une partie des caches resteront invisibles tant que "
            u"l'autorisation n'est pas donnée dans Réglages Système › Confidentialité et sécurité."_s,
            u"Ouvrir les réglages"_s, [this] { m_workspace.open(Platform::fullDiskAccessSettingsURL()); });
        notice->setObjectName(u"fullDiskAccessNotice"_s);
        column->addWidget(notice);
    }

    auto* row = new QHBoxLayout;
    row->setSpacing(spacing);
    auto* body = new QWidget;
    m_cardColumn = new QVBoxLayout(body);
    m_cardColumn->setContentsMargins(0, cardInset, 0, cardInset);
    m_cardColumn->setSpacing(0);
    auto* summary = card(body, cardPadding);
    summary->setObjectName(u"summaryCard"_s);
    summary->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    row->addWidget(summary, 1, Qt::AlignTop);
    row->addWidget(m_figures, 0, Qt::AlignTop);
    column->addLayout(row);
    column->addWidget(m_groups);
    column->addStretch(1);
    m_scroll->setWidget(page);
    OverlayScrollBar::install(m_scroll);

    connect(&m_model, &ScanViewModel::changed, this, &SmartScanView::refresh);
    figures.onChanged(this, [this] { m_figures->refresh(); });
    refresh();
}

SmartScanView::~SmartScanView() = default;

QWidget* SmartScanView::cardContent() const
{
    return m_content;
}

SmartScanView::Shown SmartScanView::wantedContent() const
{
    switch (m_model.phase()) {
    case ScanViewModel::Phase::idle:
        return Shown::idle;
    case ScanViewModel::Phase::scanning:
        return Shown::scanning;
    case ScanViewModel::Phase::results:
        return m_model.groups().isEmpty() ? Shown::emptyResult : Shown::results;
    case ScanViewModel::Phase::cleaning:
        return Shown::cleaning;
    case ScanViewModel::Phase::finished:
        return Shown::finished;
    }
    return Shown::idle;
}

SmartScanView::Content* SmartScanView::makeContent(Shown shown)
{
    switch (shown) {
    case Shown::none:
    case Shown::idle:
        return new IdleContent(m_model);
    case Shown::scanning:
        return new ScanningContent(m_model);
    case Shown::emptyResult:
        return new EmptyContent(m_model);
    case Shown::results:
        return new ResultsContent(m_model);
    case Shown::cleaning:
        return new CleaningContent(m_model);
    case Shown::finished:
        return new FinishedContent(m_model);
    }
    return nullptr;
}

void SmartScanView::refresh()
{
    const Shown wanted = wantedContent();
    if (wanted != m_shown) {
        if (m_content) {
            // Its button may be the sender of the change that replaces it: it goes once the change is over.
            m_cardColumn->removeWidget(m_content);
            m_content->hide();
            m_content->deleteLater();
        }
        m_shown = wanted;
        m_content = makeContent(wanted);
        m_cardColumn->addWidget(m_content);
        m_content->show();
    } else {
        m_content->refresh();
    }

    const bool groups = wanted == Shown::results;
    if (groups)
        m_groups->refresh();
    m_groups->setVisible(groups);
    // A cleaning, or the scan after it, changes what this run freed.
    if (m_model.freedBytes() != m_freedSeen) {
        m_freedSeen = m_model.freedBytes();
        m_figures->refresh();
    }
}

QWidget* makeSmartScanScreen(ScanViewModel* model, bool hasFullDiskAccess, Platform::Workspace& workspace,
                             const Modules::AppFigures& figures, QWidget* parent)
{
    if (model == nullptr)
        return new ScanModuleView(ModuleID::smartScan, nullptr, hasFullDiskAccess, workspace, parent);
    return new SmartScanView(*model, hasFullDiskAccess, workspace, figures, parent);
}
