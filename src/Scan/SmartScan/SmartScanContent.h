#pragma once

#include "Look/StyledButton.h"

#include <QString>
#include <QWidget>

class ElidedLabel;
class QHBoxLayout;
class QVBoxLayout;
class ScanViewModel;
class TextLabel;

// What the smart scan's summary card shows in one phase of the model: a centred column (objectName given by the
// phase), updated in place from the model by refresh(). The phases build on it and share its parts: the ring
// with a figure in its middle, the percentage, the status line and the buttons. The model must outlive it.
class SmartScanContent : public QWidget
{
public:
    SmartScanContent(const QString& name, ScanViewModel& model);

    virtual void refresh() {}

protected:
    // Centred by stretches rather than by alignment, so that a wrapping or shortened text gets the width it may
    // take (up to its maximum) and keeps the height that width asks for.
    static QHBoxLayout* centred(QWidget* widget);
    // The large rounded percentage in a ring's middle.
    static TextLabel* percentLabel(const QString& name);
    // The status line under a ring, in the monospaced font, shortened to the view's status width.
    static ElidedLabel* statusLabel(const QString& name);
    static StyledButton* button(const QString& title, const StyledButton::Style& style, const QString& name);
    // The accent's primary style, dimmed when not `enabled`.
    static PrimaryButtonStyle primary(bool enabled = true);

    void add(QWidget* widget);
    void addStretched(QWidget* widget);
    // `round` in a square of the view's ring side, with `centre`, if any, in its middle.
    QWidget* ring(QWidget* round, QWidget* centre = nullptr);

    ScanViewModel& m_model;
    QVBoxLayout* m_column;
};
