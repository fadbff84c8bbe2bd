#include "Tools/ShredderDropZone.h"

#include "Look/ElidedLabel.h"
#include "Look/Paint.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal radius = 14;
constexpr qreal lineWidth = 1.5;

QStringList localFiles(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

ShredderDropZone::ShredderDropZone(QWidget* parent)
    : QWidget(parent), m_symbol(new SymbolView(sfSymbol(u"arrow.down.doc"), 30)),
      m_title(new TextLabel(QString(), Theme::systemFont(13, QFont::Medium))), m_progress(new QProgressBar),
      m_status(new ElidedLabel(QString(), Theme::monoFont(), Paint::Ink::tertiary)),
      m_browse(new StyledButton(u"Parcourir…"_s, QuietButtonStyle{}))
{
    setObjectName(u"dropZone"_s);
    setAcceptDrops(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 34, 0, 34);
    column->setSpacing(10);
    m_symbol->setObjectName(u"dropSymbol"_s);
    m_title->setObjectName(u"dropTitle"_s);
    m_title->setAlignment(Qt::AlignCenter);
    m_progress->setObjectName(u"dropProgress"_s);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(260);
    m_status->setObjectName(u"dropStatus"_s);
    m_status->setAlignment(Qt::AlignCenter);
    m_browse->setObjectName(u"browseButton"_s);
    connect(m_browse, &QAbstractButton::clicked, this, &ShredderDropZone::browseRequested);
    column->addWidget(m_symbol, 0, Qt::AlignHCenter);
    column->addWidget(m_title);
    column->addWidget(m_progress, 0, Qt::AlignHCenter);
    column->addWidget(m_status);
    column->addWidget(m_browse, 0, Qt::AlignHCenter);
    setWorking(false, 0, QString());
    restyle();
}

void ShredderDropZone::setWorking(bool working, double progress, const QString& status)
{
    m_working = working;
    m_symbol->setSymbol(working ? sfSymbol(u"hourglass") : sfSymbol(u"arrow.down.doc"));
    m_title->setText(working ? u"Broyage en cours…"_s : u"Glissez des fichiers ou des dossiers ici"_s);
    m_progress->setVisible(working);
    m_progress->setValue(int(std::clamp(progress, 0.0, 1.0) * 1000));
    m_status->setVisible(working);
    m_status->setText(status);
    m_browse->setVisible(!working);
}

QColor ShredderDropZone::fill() const
{
    return m_targeted ? Paint::withOpacity(Theme::coral(), 0.1) : Paint::ink(this, Paint::Ink::primary, 0.03);
}

QPen ShredderDropZone::outline() const
{
    QPen pen(m_targeted ? Theme::coral() : Paint::ink(this, Paint::Ink::primary, 0.18), lineWidth, Qt::CustomDashLine,
             Qt::FlatCap, Qt::MiterJoin);
    pen.setDashPattern({6 / lineWidth, 4 / lineWidth}); // Qt counts dashes in line widths
    return pen;
}

void ShredderDropZone::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    painter.fillPath(Paint::continuousRoundedRect(frame, radius), fill());
    painter.strokePath(Paint::insetRoundedRect(frame, radius, lineWidth), outline());
}

void ShredderDropZone::changeEvent(QEvent* event)
{
    // The resting colours are the palette's ink, which changes with the appearance.
    if (event->type() == QEvent::PaletteChange)
        restyle();
    QWidget::changeEvent(event);
}

void ShredderDropZone::dragEnterEvent(QDragEnterEvent* event)
{
    if (localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setTargeted(true);
}

void ShredderDropZone::dragMoveEvent(QDragMoveEvent* event)
{
    if (localFiles(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void ShredderDropZone::dragLeaveEvent(QDragLeaveEvent*)
{
    setTargeted(false);
}

void ShredderDropZone::dropEvent(QDropEvent* event)
{
    // Reported as taken whatever it carried; only its local files go on.
    event->acceptProposedAction();
    setTargeted(false);
    const QStringList paths = localFiles(event->mimeData());
    if (!paths.isEmpty())
        emit dropped(paths);
}

void ShredderDropZone::setTargeted(bool targeted)
{
    if (m_targeted == targeted)
        return;
    m_targeted = targeted;
    restyle();
}

void ShredderDropZone::restyle()
{
    m_symbol->setColor(m_targeted ? Theme::coral() : Paint::ink(this, Paint::Ink::secondary));
    update();
}
