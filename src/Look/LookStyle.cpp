#include "Look/LookStyle.h"

#include "Look/Paint.h"
#include "Look/StyledButton.h"
#include "Look/Theme.h"
#include "Look/TriStateBox.h"
#include "Platform/Symbols.h"

#include <algorithm>

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

// The label colours as the option's palette gives them: the option, not the widget, says what is drawn.
QColor ink(const QStyleOption& option, qreal opacity)
{
    return Paint::withOpacity(option.palette.color(QPalette::WindowText), opacity);
}

qreal quietOpacity(const QStyleOption& option)
{
    return QuietButtonStyle::fillOpacity(option.state & (QStyle::State_Sunken | QStyle::State_On));
}

} // namespace

LookStyle::LookStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
}

void LookStyle::install()
{
    if (qobject_cast<LookStyle*>(QApplication::style()))
        return;
    // Setting a style sets the palette back to the style's: the application's own is kept.
    const QPalette palette = QApplication::palette();
    QApplication::setStyle(new LookStyle);
    QApplication::setPalette(palette);
}

int LookStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return TriStateBox::side;
    case PM_CheckBoxLabelSpacing:
        return 8;
    case PM_SliderThickness:
    case PM_SliderControlThickness:
    case PM_SliderLength:
        return sliderHandle;
    case PM_TabBarTabHSpace:
        return 28;
    case PM_TabBarTabVSpace:
        return 14;
    case PM_TabBarBaseOverlap:
    case PM_DefaultFrameWidth:
        if (metric == PM_DefaultFrameWidth && !(widget && widget->inherits("QComboBox")))
            break;
        return 0;
    default:
        break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize LookStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const
{
    QSize given = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_ComboBox || type == CT_PushButton) {
        const QMargins pad = QuietButtonStyle::padding();
        given.setWidth(std::max(given.width(), size.width() + pad.left() + pad.right()));
        given.setHeight(std::max(given.height(), controlHeight));
    }
    return given;
}

void LookStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    switch (element) {
    case PE_IndicatorCheckBox: {
        const QRectF box(QRectF(option->rect).center() - QPointF(TriStateBox::side, TriStateBox::side) / 2,
                         QSizeF(TriStateBox::side, TriStateBox::side));
        const std::optional<bool> state =
            option->state & State_NoChange ? std::nullopt : std::optional<bool>(option->state & State_On);
        painter->save();
        if (!(option->state & State_Enabled))
            painter->setOpacity(0.45);
        QWidget stand; // the label colours of the option's palette, for the unchecked edge
        stand.setPalette(option->palette);
        TriStateBox::paintBox(*painter, widget ? *widget : stand, box, state, Theme::indigo());
        painter->restore();
        return;
    }
    case PE_PanelButtonCommand: {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const bool chosen = (option->state & State_On) != 0;
        const QColor fill =
            chosen ? Paint::withOpacity(Theme::indigo(), chosenOpacity) : ink(*option, quietOpacity(*option));
        painter->fillPath(Paint::capsule(QRectF(option->rect)), fill);
        painter->restore();
        return;
    }
    case PE_FrameFocusRect:
        return; // the look marks no focus with a dotted frame
    case PE_FrameTabWidget:
        return;
    case PE_FrameTabBarBase:
        painter->fillRect(QRect(option->rect.left(), option->rect.bottom(), option->rect.width(), 1),
                          ink(*option, 0.1));
        return;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void LookStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const
{
    switch (element) {
    case CE_PushButtonBevel:
        drawPrimitive(PE_PanelButtonCommand, option, painter, widget);
        return;
    case CE_TabBarTabShape: {
        if (!(option->state & (State_Selected | State_MouseOver)))
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF tab = QRectF(option->rect).adjusted(2, 3, -2, -3);
        painter->fillPath(Paint::continuousRoundedRect(tab, controlRadius),
                          option->state & State_Selected ? Paint::withOpacity(Theme::indigo(), chosenOpacity)
                                                         : ink(*option, QuietButtonStyle::fillOpacity(false)));
        painter->restore();
        return;
    }
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void LookStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                   const QWidget* widget) const
{
    if (control == CC_ComboBox) {
        const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
        if (combo && !combo->editable) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            if (!(option->state & State_Enabled))
                painter->setOpacity(0.45);
            painter->fillPath(Paint::continuousRoundedRect(QRectF(option->rect), controlRadius),
                              ink(*option, quietOpacity(*option)));
            const QRect arrow = subControlRect(CC_ComboBox, option, SC_ComboBoxArrow, widget);
            Paint::drawSymbol(*painter, sfSymbol(u"chevron.up.chevron.down"), QRectF(arrow).center(), 10,
                              ink(*option, 0.5));
            painter->restore();
            return;
        }
    }
    if (control == CC_Slider) {
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (slider && slider->orientation == Qt::Horizontal) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            if (!(option->state & State_Enabled))
                painter->setOpacity(0.45);
            const QRect handle = subControlRect(CC_Slider, option, SC_SliderHandle, widget);
            const QRectF groove(option->rect.left() + 1, option->rect.center().y() + 0.5 - sliderGroove / 2.0,
                                option->rect.width() - 2, sliderGroove);
            painter->fillPath(Paint::capsule(groove), ink(*option, 0.1));
            QRectF filled = groove;
            filled.setRight(QRectF(handle).center().x());
            painter->fillPath(Paint::capsule(filled), Theme::indigo());
            const QRectF knob = Paint::centredSquare(QRectF(handle).center(), sliderHandle - 2);
            const QPainterPath circle = Paint::centredCircle(knob.center(), knob.width());
            painter->fillPath(circle, option->palette.color(QPalette::Base));
            painter->strokePath(circle, QPen(ink(*option, option->state & State_Sunken ? 0.35 : 0.2), 1));
            painter->restore();
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}
