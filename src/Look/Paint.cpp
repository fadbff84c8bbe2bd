#include "Look/Paint.h"

#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Platform/TestGuard.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRawFont>
#include <QRegion>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace Paint {

namespace {

// How far a continuous corner reaches along each edge, and where its control points sit, as multiples of the
// radius; the curve passes where a circular corner of that radius would.
constexpr qreal kCornerReach = 1.528;
constexpr qreal kCornerControl = 0.272;

// Symbol outlines are taken once at this size and scaled.
constexpr qreal kReferenceSize = 100;

struct IconFont {
    QRawFont font;
    QHash<char32_t, QPainterPath> outlines; // at kReferenceSize, centred on the origin
};

IconFont& iconFont()
{
    static IconFont icons = [] {
        Theme::installFonts();
        IconFont f;
        QFile file(u":/fonts/MaterialIcons-Regular.ttf"_s);
        if (file.open(QIODevice::ReadOnly))
            f.font = QRawFont(file.readAll(), kReferenceSize);
        return f;
    }();
    return icons;
}

// The glyph's outline centred on its em box, so that every symbol keeps the place its design gives it.
QPainterPath outlineOf(char32_t codePoint)
{
    IconFont& icons = iconFont();
    const auto cached = icons.outlines.constFind(codePoint);
    if (cached != icons.outlines.cend())
        return *cached;
    QPainterPath outline;
    if (icons.font.isValid()) {
        const QList<quint32> glyphs = icons.font.glyphIndexesForString(QString::fromUcs4(&codePoint, 1));
        if (glyphs.size() == 1 && glyphs.first() != 0) {
            const QList<QPointF> advances = icons.font.advancesForGlyphIndexes(glyphs);
            const qreal advance = advances.isEmpty() ? kReferenceSize : advances.first().x();
            outline = icons.font.pathForGlyph(glyphs.first());
            outline.translate(-advance / 2, (icons.font.ascent() - icons.font.descent()) / 2);
        }
    }
    icons.outlines.insert(codePoint, outline);
    return outline;
}

// Three box blurs in a row approach a Gaussian; each pass runs along rows, then along columns.
void boxBlur(QImage& image, int radius)
{
    if (radius < 1)
        return;
    const int width = image.width();
    const int height = image.height();
    std::vector<quint32> line(static_cast<std::size_t>(std::max(width, height)));
    const auto pass = [&](int count, int length, auto pixel) {
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < length; ++j)
                line[static_cast<std::size_t>(j)] = *pixel(i, j);
            for (int channel = 0; channel < 4; ++channel) {
                const int shift = channel * 8;
                int sum = 0;
                const auto value = [&](int j) {
                    return j < 0 || j >= length ? 0 : int((line[static_cast<std::size_t>(j)] >> shift) & 0xff);
                };
                for (int j = -radius; j <= radius; ++j)
                    sum += value(j);
                for (int j = 0; j < length; ++j) {
                    quint32& out = *pixel(i, j);
                    const quint32 averaged = quint32(sum / (2 * radius + 1));
                    out = (out & ~(0xffu << shift)) | (averaged << shift);
                    sum += value(j + radius + 1) - value(j - radius);
                }
            }
        }
    };
    const auto at = [&image](int y, int x) { return reinterpret_cast<quint32*>(image.scanLine(y)) + x; };
    pass(height, width, at);
    pass(width, height, [&at](int x, int y) { return at(y, x); });
}

} // namespace

QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    const qreal half = std::min(rect.width(), rect.height()) / 2;
    radius = std::clamp(radius, qreal(0), half);
    if (radius * kCornerReach > half) {
        path.addRoundedRect(rect, radius, radius);
        return path;
    }
    const qreal a = radius * kCornerReach;
    const qreal b = radius * kCornerControl;
    const qreal l = rect.left();
    const qreal t = rect.top();
    const qreal r = rect.right();
    const qreal bt = rect.bottom();
    path.moveTo(l + a, t);
    path.lineTo(r - a, t);
    path.cubicTo(r - b, t, r, t + b, r, t + a);
    path.lineTo(r, bt - a);
    path.cubicTo(r, bt - b, r - b, bt, r - a, bt);
    path.lineTo(l + a, bt);
    path.cubicTo(l + b, bt, l, bt - b, l, bt - a);
    path.lineTo(l, t + a);
    path.cubicTo(l, t + b, l + b, t, l + a, t);
    path.closeSubpath();
    return path;
}

QRectF centredSquare(const QPointF& centre, qreal side)
{
    return QRectF(centre - QPointF(side, side) / 2, QSizeF(side, side));
}

QPainterPath centredCircle(const QPointF& centre, qreal diameter)
{
    QPainterPath circle;
    circle.addEllipse(centredSquare(centre, diameter));
    return circle;
}

QPainterPath capsule(const QRectF& rect)
{
    const qreal radius = std::min(rect.width(), rect.height()) / 2;
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath insetRoundedRect(const QRectF& rect, qreal radius, qreal lineWidth)
{
    const qreal inset = lineWidth / 2;
    const QRectF inner = rect.adjusted(inset, inset, -inset, -inset);
    if (inner.width() == inner.height() && radius * 2 >= rect.width()) {
        QPainterPath circle;
        circle.addEllipse(inner);
        return circle;
    }
    return continuousRoundedRect(inner, std::max(qreal(0), radius - inset));
}

QRectF ringRect(const QRectF& frame, qreal lineWidth)
{
    const qreal side = std::max(qreal(0), std::min(frame.width(), frame.height()) - lineWidth);
    return centredSquare(frame.center(), side);
}

QPainterPath ringArc(const QRectF& ring, qreal startDegrees, qreal fraction)
{
    // Qt counts angles counter-clockwise; the screen's clockwise is the negative direction.
    QPainterPath arc;
    arc.arcMoveTo(ring, -startDegrees);
    arc.arcTo(ring, -startDegrees, -360 * fraction);
    return arc;
}

QLinearGradient placed(const QLinearGradient& gradient, const QRectF& frame)
{
    const auto at = [&frame](const QPointF& unit) {
        return QPointF(frame.left() + unit.x() * frame.width(), frame.top() + unit.y() * frame.height());
    };
    QLinearGradient result(at(gradient.start()), at(gradient.finalStop()));
    result.setStops(gradient.stops());
    result.setSpread(gradient.spread());
    return result;
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(static_cast<float>(std::clamp(color.alphaF() * opacity, 0.0, 1.0)));
    return color;
}

QColor ink(const QWidget* widget, Ink level, qreal opacity)
{
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    const qreal levelOpacity = level == Ink::primary ? 1.0 : level == Ink::secondary ? 0.5 : 0.26;
    return withOpacity(palette.color(QPalette::WindowText), levelOpacity * opacity);
}

bool requireSymbol(QStringView symbol)
{
    if (Platform::symbolGlyph(symbol))
        return true;
    if (Platform::TestGuard::isTestRun())
        qFatal("unknown SF Symbols name \"%s\": add it to src/Platform/Symbols.cpp", qPrintable(symbol.toString()));
    return false;
}

QPainterPath symbolPath(QStringView symbol, qreal size)
{
    if (!requireSymbol(symbol))
        return {};
    const QPainterPath outline = outlineOf(*Platform::symbolGlyph(symbol));
    const qreal scale = size / kReferenceSize;
    return QTransform::fromScale(scale, scale).map(outline);
}

void drawSymbol(QPainter& painter, QStringView symbol, const QPointF& centre, qreal size, const QColor& color)
{
    const QPainterPath path = symbolPath(symbol, size);
    if (path.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(centre);
    painter.fillPath(path, color);
    painter.restore();
}

void drawShadow(QPainter& painter, const QPainterPath& shape, const QColor& color, qreal radius, const QPointF& offset)
{
    if (color.alpha() == 0 || shape.isEmpty())
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal margin = std::ceil(radius * 3) + 1;
    const QRectF area = shape.boundingRect().adjusted(-margin, -margin, margin, margin);
    QImage image((area.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return;
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-area.topLeft());
        p.fillPath(shape, color);
    }
    // Three box passes of this width have the deviation `radius`.
    const qreal sigma = radius * ratio;
    const int boxRadius = static_cast<int>(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2));
    for (int i = 0; i < 3; ++i)
        boxBlur(image, boxRadius);
    painter.drawImage(area.topLeft() + offset, image);
}

bool composesTranslucentWindows()
{
    const QString platform = QGuiApplication::platformName();
    return platform.startsWith(u"wayland") || platform == u"cocoa";
}

void maskToShape(QWidget* window, const QPainterPath& shape)
{
    if (composesTranslucentWindows())
        window->clearMask();
    else {
        // The hairline stroked along the edge belongs to the shape too: a mask of the fill alone would cut it.
        QPainterPathStroker edge;
        edge.setWidth(1);
        QRegion region;
        for (const QPolygonF& polygon : shape.united(edge.createStroke(shape)).toFillPolygons())
            region += QRegion(polygon.toPolygon(), Qt::WindingFill);
        window->setMask(region);
    }
}

} // namespace Paint
