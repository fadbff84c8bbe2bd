#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class ElidedLabel;
class TextLabel;

// The items a cleaning failed to remove, on a card at most `maximumWidth` wide: the count ("failureHeader")
// and the first four failures, each the item and its reason on one line shortened in the middle
// ("failureLine"). Hidden while there is none. Used wherever a cleaning reports.
class FailureCard final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int shownFailures = 4;
    static constexpr int maximumWidth = 480;

    // "1 élément n'a pas pu être supprimé", "N éléments n'ont pas pu être supprimés".
    static QString header(qsizetype count);

    explicit FailureCard(QWidget* parent = nullptr);

    void setFailures(const QStringList& failures);

private:
    TextLabel* m_header;
    QList<ElidedLabel*> m_lines;
};
