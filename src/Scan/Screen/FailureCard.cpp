#include "Scan/Screen/FailureCard.h"

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

QString FailureCard::notPutBackHeader(qsizetype count)
{
    return QString::number(count) +
           (count < 2 ? u" élément n'a pas pu être remis en place"_s : u" éléments n'ont pas pu être remis en place"_s);
}

FailureCard::FailureCard(QWidget* parent) : FailureCard(&FailureCard::header, u"failure"_s, parent)
{
}

FailureCard::FailureCard(Header headerText, const QString& name, QWidget* parent)
    : QWidget(parent), m_headerText(headerText),
      m_header(new TextLabel(QString(), Theme::systemFont(12, QFont::DemiBold)))
{
    setObjectName(name + u"Card"_s);
    auto* failures = new QWidget;
    auto* column = new QVBoxLayout(failures);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    m_header->setObjectName(name + u"Header"_s);
    column->addWidget(m_header);
    for (int i = 0; i < shownFailures; ++i) {
        auto* line = new ElidedLabel(QString(), Theme::monoFont(), Paint::Ink::secondary);
        line->setObjectName(name + u"Line"_s);
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
    m_header->setText(m_headerText(failures.size()));
    // The lines past the first few are still named, where a pointer resting on the card finds them.
    setToolTip(failures.size() > shownFailures ? failures.join(u'\n') : QString());
    for (int i = 0; i < shownFailures; ++i) {
        m_lines[i]->setText(i < failures.size() ? failures[i] : QString());
        m_lines[i]->setVisible(i < failures.size());
    }
    setVisible(!failures.isEmpty());
}
