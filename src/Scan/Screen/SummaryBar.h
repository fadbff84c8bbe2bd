#pragma once

#include <QWidget>

class ScanViewModel;
class StyledButton;
class TextLabel;

// The bar above the results: the selected total (objectNames "summaryFigure" and "summaryUnit") over its caption
// ("summaryCaption"), the count of selected items ("selectionCount", not for threats) and the clean button
// ("cleanButton"), titled by the scanner and inert while nothing is selected. Redrawn from the model on each of
// its changes.
class SummaryBar final : public QWidget
{
    Q_OBJECT

public:
    explicit SummaryBar(ScanViewModel& model, QWidget* parent = nullptr);

    void refresh();

private:
    ScanViewModel& m_model;
    TextLabel* m_figure;
    TextLabel* m_unit;
    TextLabel* m_caption;
    TextLabel* m_selection;
    StyledButton* m_clean;
};
