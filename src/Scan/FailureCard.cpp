#include "Scan/FailureCard.h"

#include "Look/CardModifier.h"
#include "Look/ElidedLabel.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"

#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QString FailureCard::header(qsizetype count)
{
    return QString::number(count) +
           (count < 2 ? u" élément n'a pas pu être supprimé"_s : u" éléments n'ont pas pu être supprimés"_s);
}

FailureCard::FailureCard(QWidget* parent)
    : QWidget(parent), m_header(new TextLabel(QString(), Theme::systemFont(12, QFont::DemiBold)))
{
    setObjectName(u"failureCard"_s);
    auto* failures = new QWidget;
    auto* column = new QVBoxLayout(failures);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    m_header->setObjectName(u"failureHeader"_s);
    column->addWidget(m_header);
    for (int i = 0; i < shownFailures; ++i) {
        auto* line = new ElidedLabel(QString(), Theme::monoFont(), Paint::Ink::secondary);
        line->setObjectName(u"failureLine"_s);
        column->addWidget(line);
        m_lines.append(line);
    }
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(card(failures, 12));
    setMaximumWidth(maximumWidth);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setVisible(false);
}

void FailureCard::setFailures(const QStringList& failures)
{
    m_header->setText(header(failures.size()));
    for (int i = 0; i < shownFailures; ++i) {
        m_lines[i]->setText(i < failures.size() ? failures[i] : QString());
        m_lines[i]->setVisible(i < failures.size());
    }
    setVisible(!failures.isEmpty());
}
