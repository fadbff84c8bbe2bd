#include "Scan/Screen/FinishedState.h"

#include "Core/FileUtils.h"
#include "Look/StyledButton.h"
#include "Look/SuccessArt.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Scan/Screen/FailureCard.h"
#include "Scan/Screen/ScanViewModel.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Centred by stretches rather than by alignment, so that a wrapping text keeps its height for its width: the
// widget takes up to its width, the stretches share what is left.
QHBoxLayout* centred(QWidget* widget)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(widget, 100);
    row->addStretch(1);
    return row;
}

} // namespace

// A symbol and a wrapping text, both in one colour, centred under the headline.
class FinishedState::NoticeLine final : public QWidget
{
public:
    NoticeLine(const QString& symbol, const QColor& color) : m_text(new QLabel)
    {
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(spacing);
        row->addWidget(new SymbolView(symbol, symbolSize, color), 0, Qt::AlignTop);
        m_text->setFont(Theme::systemFont(12));
        m_text->setTextFormat(Qt::PlainText);
        m_text->setWordWrap(true);
        QPalette palette = m_text->palette();
        palette.setColor(QPalette::WindowText, color);
        m_text->setPalette(palette);
        row->addWidget(m_text, 1);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    }

    QString text() const { return m_text->text(); }
    void setText(const QString& text)
    {
        m_text->setText(text);
        updateGeometry();
    }

    // One line when it fits in the report's width, wrapped within that width otherwise.
    QSize sizeHint() const override
    {
        const int natural = symbolSize + spacing + QFontMetrics(m_text->font()).horizontalAdvance(m_text->text()) + 1;
        const int width = std::min(reportWidth, natural);
        return {width, heightForWidth(width)};
    }

private:
    static constexpr int symbolSize = 12;
    static constexpr int spacing = 6;

    QLabel* m_text;
};

QString FinishedState::figureText(bool threats, qint64 removedCount, qint64 freedBytes)
{
    return threats ? QString::number(removedCount) : FileUtils::byteFormatter().string(freedBytes);
}

QString FinishedState::captionText(bool threats, qint64 removedCount)
{
    if (!threats)
        return u"libérés"_s;
    return removedCount <= 1 ? u"menace retirée"_s : u"menaces retirées"_s;
}

QString FinishedState::failureHeader(qsizetype count)
{
    return FailureCard::header(count);
}

FinishedState::FinishedState(ScanViewModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_figure(new TextLabel(QString(), Theme::heroFont())),
      m_caption(new TextLabel(QString(), Theme::systemFont(14), Paint::Ink::secondary)),
      m_safetyNet(new NoticeLine(sfSymbol(u"exclamationmark.triangle.fill"), Theme::amber())),
      m_failureCard(new FailureCard),
      m_restore(new NoticeLine(sfSymbol(u"arrow.uturn.backward.circle.fill"), Theme::mint())),
      m_notPutBack(new FailureCard(&FailureCard::notPutBackHeader, u"notPutBack"_s)),
      m_undo(new StyledButton(u"Annuler ce nettoyage"_s, QuietButtonStyle{})),
      m_remaining(new StyledButton(u"Voir ce qui reste"_s, QuietButtonStyle{}))
{
    setObjectName(u"finishedState"_s);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);
    column->addStretch(1);
    column->addWidget(new SuccessArt(artDiameter, Theme::mint()), 0, Qt::AlignHCenter);

    auto* headline = new QVBoxLayout;
    headline->setSpacing(6);
    m_figure->setObjectName(u"finishedFigure"_s);
    m_caption->setObjectName(u"finishedCaption"_s);
    headline->addWidget(m_figure, 0, Qt::AlignHCenter);
    headline->addWidget(m_caption, 0, Qt::AlignHCenter);
    column->addLayout(headline);

    m_safetyNet->setObjectName(u"safetyNetNotice"_s);
    column->addLayout(centred(m_safetyNet));

    column->addLayout(centred(m_failureCard));

    m_restore->setObjectName(u"restoreNotice"_s);
    column->addLayout(centred(m_restore));
    column->addLayout(centred(m_notPutBack));

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    auto* newScan = new StyledButton(u"Nouvelle analyse"_s, PrimaryButtonStyle{Theme::accentGradient(), true});
    newScan->setObjectName(u"newScanButton"_s);
    m_undo->setObjectName(u"undoButton"_s);
    m_remaining->setObjectName(u"showRemainingButton"_s);
    buttons->addWidget(newScan);
    buttons->addWidget(m_undo);
    buttons->addWidget(m_remaining);
    buttons->addStretch(1);
    column->addLayout(buttons);
    column->addStretch(1);

    connect(newScan, &QAbstractButton::clicked, this, [this] { m_model.scan(); });
    connect(m_undo, &QAbstractButton::clicked, this, [this] { m_model.undoLastCleaning(); });
    connect(m_remaining, &QAbstractButton::clicked, this, [this] { m_model.showRemaining(); });
    connect(&m_model, &ScanViewModel::changed, this, &FinishedState::refresh);
    refresh();
}

void FinishedState::refresh()
{
    const bool threats = m_model.cleanedThreats();
    m_figure->setText(figureText(threats, m_model.removedCount(), m_model.freedBytes()));
    m_caption->setText(captionText(threats, m_model.removedCount()));

    const std::optional<QString>& safetyNet = m_model.safetyNetNotice();
    m_safetyNet->setText(safetyNet.value_or(QString()));
    m_safetyNet->setVisible(safetyNet.has_value());

    m_failureCard->setFailures(m_model.failures());

    const std::optional<QString>& restore = m_model.restoreNotice();
    m_restore->setText(restore.value_or(QString()));
    m_restore->setVisible(restore.has_value());
    m_notPutBack->setFailures(m_model.notPutBack());

    m_undo->setVisible(m_model.canUndo());
    m_remaining->setVisible(!m_model.groups().isEmpty());
}
