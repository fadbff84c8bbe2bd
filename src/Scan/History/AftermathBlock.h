#pragma once

#include "Core/Aftermath.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class CardModifier;
class QLabel;
class QVBoxLayout;

// What has come back since the cleanings, per module: totals, a bar and one row per verdict.
class AftermathBlock final : public QWidget
{
    Q_OBJECT

public:
    explicit AftermathBlock(QWidget* parent = nullptr);

    void show(const QList<Aftermath::Verdict>& verdicts, qint64 freed, qint64 returned);

    QString netLine() const;
    // The share of what came back that the bar fills, 0 to 1.
    qreal barFraction() const { return m_fraction; }
    // Each row's title, sentence and share, in order.
    QList<QStringList> rows() const;

private:
    CardModifier* m_card;
    QLabel* m_net;
    QWidget* m_bar;
    QVBoxLayout* m_rows;
    qreal m_fraction = 0;
};
