#include "Scan/SmartScan/SmartScanFinishedContent.h"

#include "Core/FileUtils.h"
#include "Look/SuccessArt.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/Screen/FailureCard.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/SmartScan/SmartScanView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

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

} // namespace

SmartScanFinishedContent::SmartScanFinishedContent(ScanViewModel& model)
    : SmartScanContent(u"finishedContent"_s, model),
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
    m_safetyNet->setMaximumWidth(SmartScanView::invitationWidth);
    report->addLayout(centred(m_safetyNet));
    m_column->addLayout(report);
    auto* again = button(u"Nouvelle analyse"_s, primary(), u"newScanButton"_s);
    connect(again, &QAbstractButton::clicked, this, [this] { m_model.scan(); });
    add(again);
    refresh();
}

void SmartScanFinishedContent::refresh()
{
    m_freed->setText(FileUtils::byteFormatter().string(m_model.freedBytes()) + u" libérés"_s);
    const QStringList& failures = m_model.failures();
    m_ignored->setText(SmartScanView::ignoredText(failures.size()));
    m_ignored->setVisible(!failures.isEmpty());
    m_failures->setFailures(failures);
    const std::optional<QString>& safetyNet = m_model.safetyNetNotice();
    m_safetyNet->setText(safetyNet.value_or(QString()));
    m_safetyNet->setVisible(safetyNet.has_value());
}
