#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class ElidedLabel;
class TextLabel;

// The items a cleaning failed to remove, on a card at most `maximumWidth` wide: the count ("failureHeader")
// and the first four failures, each the item and its reason on one line shortened in the middle
// ("failureLine"), every line in the card's tooltip when there are more. Hidden while there is none. Used
// wherever a cleaning reports, and under an undo's notice for the files it left ("notPutBackCard",
// "notPutBackHeader", "notPutBackLine").
class FailureCard final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int shownFailures = 4;
    static constexpr int maximumWidth = 480;

    using Header = QString (*)(qsizetype count);

    // "1 élément n'a pas pu être supprimé", "N éléments n'ont pas pu être supprimés".
    static QString header(qsizetype count);
    // "1 élément n'a pas pu être remis en place", "N éléments n'ont pas pu être remis en place".
    static QString notPutBackHeader(qsizetype count);

    explicit FailureCard(QWidget* parent = nullptr);
    // A card under another header, its object names starting with `name` instead of "failure".
    FailureCard(Header headerText, const QString& name, QWidget* parent = nullptr);

    void setFailures(const QStringList& failures);

private:
    Header m_headerText;
    TextLabel* m_header;
    QList<ElidedLabel*> m_lines;
};
