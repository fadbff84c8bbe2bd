#include "App/DiskFooter.h"

#include "Core/FileUtils.h"
#include "Look/Paint.h"
#include "Look/Theme.h"

#include <algorithm>

#include <QPainter>
#include <QPalette>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPadH = 14;
constexpr int kPadV = 12;
constexpr int kSpacing = 7;
constexpr int kBarHeight = 6;

QString sizeText(qint64 bytes)
{
    return bytes > 0 ? FileUtils::byteFormatter().string(bytes) : u"0 Ko"_s;
}

} // namespace

DiskFooter::Figures DiskFooter::figures(const SystemSnapshot& snapshot)
{
    Figures f;
    const qint64 used = std::max<qint64>(0, snapshot.diskTotal - snapshot.diskFree);
    f.fraction = snapshot.diskTotal > 0 ? double(used) / double(snapshot.diskTotal) : 0.0;
    f.percent = int(f.fraction * 100.0);
    f.nearlyFull = f.fraction > 0.9;
    f.percentText = QString::number(f.percent) + u" %"_s;
    f.sizesText = sizeText(snapshot.diskFree) + u" disponibles sur "_s + sizeText(snapshot.diskTotal);
    return f;
}

qreal DiskFooter::barWidth(qreal available, double fraction)
{
    return std::max<qreal>(4.0, available * fraction);
}

DiskFooter::DiskFooter(QWidget* parent) : QWidget(parent)
{
    setObjectName(u"diskFooter"_s);
    m_figures = figures(SystemSnapshot{});
}

void DiskFooter::setSnapshot(const SystemSnapshot& snapshot)
{
    m_figures = figures(snapshot);
    update();
}

QSize DiskFooter::sizeHint() const
{
    return {232, kPadV * 2 + 14 + kSpacing + kBarHeight + kSpacing + 13};
}

void DiskFooter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor text = palette().color(QPalette::WindowText);
    QColor secondary = text;
    secondary.setAlphaF(0.5);
    QColor tertiary = text;
    tertiary.setAlphaF(0.26);
    painter.fillRect(rect(), palette().color(QPalette::Window).lighter(103));

    const QRectF content = QRectF(rect()).adjusted(kPadH, kPadV, -kPadH, -kPadV);
    qreal y = content.top();
    const QFont label = Theme::systemFont(11, QFont::DemiBold);
    const QFont figure = Theme::systemFont(11, QFont::DemiBold, Theme::Design::rounded);
    painter.setFont(label);
    painter.setPen(secondary);
    const QRectF line(content.left(), y, content.width(), 14);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, u"Disque de démarrage"_s);
    painter.setFont(figure);
    painter.setPen(m_figures.nearlyFull ? Theme::coral() : secondary);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, m_figures.percentText);
    y += 14 + kSpacing;

    const QRectF back(content.left(), y, content.width(), kBarHeight);
    QColor track = text;
    track.setAlphaF(0.1);
    painter.fillPath(Paint::capsule(back), track);
    const QRectF front(back.left(), y, barWidth(back.width(), m_figures.fraction), kBarHeight);
    QLinearGradient gradient = Theme::gaugeGradient(m_figures.fraction);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    painter.fillPath(Paint::capsule(front), gradient);
    y += kBarHeight + kSpacing;

    painter.setFont(Theme::systemFont(10.5));
    painter.setPen(tertiary);
    painter.drawText(QRectF(content.left(), y, content.width(), 13), Qt::AlignLeft | Qt::AlignVCenter,
                     m_figures.sizesText);
}
