#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class FailureCard;
class QLabel;
class ScanViewModel;
class StyledButton;
class TextLabel;

// The report of the cleaning that just ended, redrawn from the model on each of its changes: the success
// picture, the headline (objectNames "finishedFigure" and "finishedCaption"), the line saying that no safety-net
// snapshot could be taken ("safetyNetNotice"), the failures ("failureCard": "failureHeader" and at most four
// "failureLine"), the undo outcome ("restoreNotice") with the files it left ("notPutBackCard") and the buttons
// "newScanButton", "undoButton" (while the cleaning can be undone) and "showRemainingButton" (while items remain).
class FinishedState final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal artDiameter = 132;
    static constexpr int reportWidth = 480;

    static QString figureText(bool threats, qint64 removedCount, qint64 freedBytes);
    static QString captionText(bool threats, qint64 removedCount);
    static QString failureHeader(qsizetype count);

    explicit FinishedState(ScanViewModel& model, QWidget* parent = nullptr);

    void refresh();

private:
    class NoticeLine;

    ScanViewModel& m_model;
    TextLabel* m_figure;
    TextLabel* m_caption;
    NoticeLine* m_safetyNet;
    FailureCard* m_failureCard;
    NoticeLine* m_restore;
    FailureCard* m_notPutBack;
    StyledButton* m_undo;
    StyledButton* m_remaining;
};
