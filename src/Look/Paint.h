#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QStringView>

class QPainter;
class QWidget;

// Painter helpers shared by the components and the illustrations: the rounded shapes, gradients placed in a
// frame, label colours, the icon-font symbols and soft shadows.
namespace Paint {

// A rounded rectangle with the Mac's continuous corners: each corner eases out of the straight edge over 1.528
// times the radius instead of meeting it with a circular arc. A radius too large for the rectangle falls back
// to circular corners, held to half the shorter side (a capsule).
QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius);

// The square of `side` centred on `centre`, the frame the illustrations give their discs, rings and tiles.
QRectF centredSquare(const QPointF& centre, qreal side);

// The circle that fills that square.
QPainterPath centredCircle(const QPointF& centre, qreal diameter);

// A rectangle whose shorter sides are half circles.
QPainterPath capsule(const QRectF& rect);

// The path of `shape` traced `lineWidth` inside its edge, so that a stroke of that width stays within the shape:
// the rounded rectangle (or circle, when `radius` is half the side of a square) inset by half the width.
QPainterPath insetRoundedRect(const QRectF& rect, qreal radius, qreal lineWidth);

// The circle a ring of `lineWidth` is stroked along inside `frame`: centred, as wide as the frame's shorter side
// less one line width, so that the stroke stays within the frame.
QRectF ringRect(const QRectF& frame, qreal lineWidth);

// The part of the circle in `ring` from `startDegrees` over `fraction` of a turn, both clockwise on screen from
// the positive x axis (3 o'clock), as the platform trims a circle.
QPainterPath ringArc(const QRectF& ring, qreal startDegrees, qreal fraction);

// A gradient kept in object mode (Theme) placed on `frame` in logical coordinates. Strokes need it: Qt would
// otherwise spread an object-mode gradient over the bounds of the stroke, not over the shape's frame.
QLinearGradient placed(const QLinearGradient& gradient, const QRectF& frame);

// The platform's label colours: primary is the palette's window text; secondary and tertiary are the same at
// half and a quarter of its opacity. `opacity` multiplies the result.
enum class Ink { primary, secondary, tertiary };
QColor ink(const QWidget* widget, Ink level = Ink::primary, qreal opacity = 1);
QColor withOpacity(QColor color, qreal opacity);

// Whether the symbol can be drawn. An unknown name is a programming error: under a test run it stops the
// process at once, so that every name the code uses is checked by the tests that draw it.
bool requireSymbol(QStringView symbol);

// Draws the symbol centred on `centre` at a font size of `size` points. Unknown names draw nothing.
void drawSymbol(QPainter& painter, QStringView symbol, const QPointF& centre, qreal size, const QColor& color);

// The symbol's outline at `size` points, centred on the origin; empty for an unknown name.
QPainterPath symbolPath(QStringView symbol, qreal size);

// A soft shadow of `shape`: filled with `color`, blurred with a Gaussian of deviation `radius` (the Mac's
// shadow radius) and moved by `offset`. Drawn before the shape it belongs to.
void drawShadow(QPainter& painter, const QPainterPath& shape, const QColor& color, qreal radius, const QPointF& offset);

// Whether windows with a transparent background are blended with what lies beneath them. A plain X server without
// a compositor, and the offscreen platform, have no alpha channel for windows and show those pixels black; only
// the platforms that always compose (Wayland, the Mac) are known to blend.
bool composesTranslucentWindows();

// Holds a window with a transparent background to `shape` (in its own coordinates) where windows are not blended,
// so that the corners of a rounded popup show what lies beneath it instead of black. Call it again whenever the
// shape changes.
void maskToShape(QWidget* window, const QPainterPath& shape);

} // namespace Paint
