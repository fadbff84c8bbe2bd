#include "Look/OverlayScrollBar.h"

#include "Look/Paint.h"

#include <algorithm>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

namespace {

// Watches every widget's first polish, which comes before it is ever shown.
class Everywhere final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish) {
            auto* area = qobject_cast<QAbstractScrollArea*>(watched);
            // A combo box's popup is the platform's menu, drawn with its own frame.
            if (area && !area->inherits("QComboBoxListView"))
                OverlayScrollBar::install(area);
        }
        return false;
    }
};

} // namespace

OverlayScrollBar* OverlayScrollBar::install(QAbstractScrollArea* area)
{
    if (auto* laid = area->findChild<OverlayScrollBar*>(QString(), Qt::FindDirectChildrenOnly))
        return laid;
    return new OverlayScrollBar(area);
}

void OverlayScrollBar::installEverywhere()
{
    static const QString name = QStringLiteral("overlayScrollBarsEverywhere");
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* filter = new Everywhere(app);
    filter->setObjectName(name);
    app->installEventFilter(filter);
}

OverlayScrollBar::OverlayScrollBar(QAbstractScrollArea* area)
    : QWidget(area), m_area(area), m_bar(area->verticalScrollBar())
{
    setObjectName(QStringLiteral("overlayScrollBar"));
    setAttribute(Qt::WA_Hover);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->installEventFilter(this);
    connect(m_bar, &QScrollBar::rangeChanged, this, &OverlayScrollBar::follow);
    connect(m_bar, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    follow();
}

void OverlayScrollBar::follow()
{
    const QRect content = m_area->viewport()->geometry();
    setGeometry(content.right() + 1 - thickness, content.top(), thickness, content.height());
    const bool shown = m_bar->maximum() > m_bar->minimum();
    reserveStrip(shown);
    setVisible(shown);
    raise();
    update();
}

void OverlayScrollBar::reserveStrip(bool shown)
{
    auto* scroll = qobject_cast<QScrollArea*>(m_area);
    QWidget* page = scroll && scroll->widgetResizable() ? scroll->widget() : nullptr;
    if (page != m_page) {
        if (m_page && m_reserved != 0)
            m_page->setContentsMargins(m_page->contentsMargins() - QMargins(0, 0, m_reserved, 0));
        m_page = page;
        m_reserved = 0;
    }
    const int wanted = shown ? thickness : 0;
    if (!page || wanted == m_reserved)
        return;
    // Narrower content grows taller, so the bar it made room for is still needed: this never swings back and forth.
    page->setContentsMargins(page->contentsMargins() + QMargins(0, 0, wanted - m_reserved, 0));
    m_reserved = wanted;
}

QRect OverlayScrollBar::thumbRect() const
{
    const int range = m_bar->maximum() - m_bar->minimum();
    if (range <= 0 || height() <= 0)
        return {};
    const int track = height() - 4;
    const int length = std::clamp(track * m_bar->pageStep() / std::max(1, range + m_bar->pageStep()), minimumThumb,
                                  std::max(minimumThumb, track));
    const int top = 2 + (track - length) * (m_bar->value() - m_bar->minimum()) / range;
    const int side = m_hovered || m_grab ? hoveredThumbWidth : thumbWidth;
    return {width() - side - 2, top, side, length};
}

bool OverlayScrollBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        follow();
    return QWidget::eventFilter(watched, event);
}

void OverlayScrollBar::paintEvent(QPaintEvent*)
{
    const QRect thumb = thumbRect();
    if (thumb.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(Paint::capsule(thumb), Paint::ink(this, Paint::Ink::primary, m_hovered || m_grab ? 0.45 : 0.28));
}

void OverlayScrollBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QRect thumb = thumbRect();
    const int y = event->position().toPoint().y();
    if (thumb.contains(thumb.center().x(), y)) {
        m_grab = y - thumb.top();
        update();
        return;
    }
    // A click on the track pages towards it, as the platform's bars do.
    m_bar->triggerAction(y < thumb.top() ? QAbstractSlider::SliderPageStepSub : QAbstractSlider::SliderPageStepAdd);
}

void OverlayScrollBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_grab)
        return;
    const QRect thumb = thumbRect();
    const int travel = height() - 4 - thumb.height();
    if (travel <= 0)
        return;
    const int top = std::clamp(event->position().toPoint().y() - *m_grab - 2, 0, travel);
    m_bar->setValue(m_bar->minimum() + (m_bar->maximum() - m_bar->minimum()) * top / travel);
}

void OverlayScrollBar::mouseReleaseEvent(QMouseEvent*)
{
    m_grab.reset();
    update();
}

void OverlayScrollBar::wheelEvent(QWheelEvent* event)
{
    QCoreApplication::sendEvent(m_bar, event);
}

void OverlayScrollBar::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void OverlayScrollBar::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}
