#include "Scan/History/FileList.h"

#include "Core/FileUtils.h"
#include "Look/Paint.h"
#include "Look/Theme.h"
#include "Platform/Workspace.h"
#include "Scan/History/HistoryViewModel.h"

#include <QFile>
#include <QHelpEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

bool existsAt(const QString& path)
{
    struct stat status {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

// The row's fonts and their metrics, made once: a card lays out and draws up to 200 rows at a time.
struct RowFonts {
    QFont name = Theme::systemFont(12);
    QFont path = Theme::monoFont();
    QFont state = Theme::systemFont(10, QFont::Medium);
    QFont size = Theme::systemFont(11, QFont::Normal, Theme::Design::rounded);
    QFontMetrics nameMetrics{name};
    QFontMetrics pathMetrics{path};
    QFontMetrics stateMetrics{state};
};

const RowFonts& rowFonts()
{
    static const RowFonts fonts;
    return fonts;
}

constexpr int kRowLeading = 24;
constexpr int kRowTrailing = 14;
constexpr int kRowSpacing = 11;
constexpr int kIconSize = 16;
constexpr int kSizeWidth = 66;

} // namespace

namespace FileRow {

QString stateText(const RemovedFile& file)
{
    if (file.restored)
        return u"remis en place"_s;
    if (!file.trashPath)
        return u"définitif"_s;
    if (file.canRestore())
        return QString();
    return u"corbeille vidée"_s;
}

QString stateToolTip(const RemovedFile& file)
{
    if (!file.restored && !file.trashPath)
        return u"Supprimé sans passer par la corbeille — rien à récupérer."_s;
    return QString();
}

qreal iconOpacity(const RemovedFile& file)
{
    return file.restored ? 1.0 : 0.75;
}

bool isInTrash(const RemovedFile& file)
{
    return file.trashPath && existsAt(*file.trashPath);
}

int height()
{
    const RowFonts& fonts = rowFonts();
    return 5 + std::max(kIconSize, fonts.nameMetrics.height() + 1 + fonts.pathMetrics.height()) + 5;
}

QRect revealButtonRect(const QRect& row)
{
    const int side = 18;
    const int right = row.right() + 1 - kRowTrailing - kSizeWidth - kRowSpacing;
    return {right - side, row.top() + (row.height() - side) / 2, side, side};
}

QRect stateRect(const QRect& row, const RemovedFile& file, bool reveal)
{
    const QString text = stateText(file);
    if (text.isEmpty())
        return {};
    int textWidth = rowFonts().stateMetrics.horizontalAdvance(text);
    if (file.restored)
        textWidth += 14;
    int right = row.right() + 1 - kRowTrailing - kSizeWidth - kRowSpacing;
    if (reveal)
        right = revealButtonRect(row).left() - kRowSpacing;
    return {right - textWidth, row.top(), textWidth, row.height()};
}

void paint(QPainter& painter, const QRect& row, const RemovedFile& file, bool hovering, const QWidget* widget,
           const Platform::Workspace& workspace)
{
    if (hovering)
        painter.fillRect(row, Paint::ink(widget, Paint::Ink::primary, 0.04));

    const int middle = row.top() + row.height() / 2;
    const QRect icon(row.left() + kRowLeading, middle - kIconSize / 2, kIconSize, kIconSize);
    painter.setOpacity(iconOpacity(file));
    workspace.icon(file.originalPath).paint(&painter, icon);
    painter.setOpacity(1);

    // From the trailing edge: size, reveal button, state mark; the name block takes what is left.
    const RowFonts& fonts = rowFonts();
    const QRect sizeRect(row.right() + 1 - kRowTrailing - kSizeWidth, row.top(), kSizeWidth, row.height());
    painter.setFont(fonts.size);
    painter.setPen(Paint::ink(widget, Paint::Ink::secondary));
    painter.drawText(sizeRect, Qt::AlignRight | Qt::AlignVCenter, HistoryViewModel::byteText(file.bytes));
    int right = sizeRect.left() - kRowSpacing;

    const bool reveal = hovering && isInTrash(file);
    if (reveal) {
        const QRect button = revealButtonRect(row);
        Paint::drawSymbol(painter, u"arrow.up.forward.app", QRectF(button).center(), 11,
                          Paint::ink(widget, Paint::Ink::secondary));
        right = button.left() - kRowSpacing;
    }
    const QRect state = stateRect(row, file, reveal);
    if (!state.isEmpty()) {
        painter.setFont(fonts.state);
        QColor colour = Paint::ink(widget, Paint::Ink::tertiary);
        QRect text = state;
        if (file.restored) {
            colour = Theme::mint();
            Paint::drawSymbol(painter, u"arrow.uturn.backward", QPointF(state.left() + 5, middle), 10, colour);
            text.setLeft(state.left() + 14);
        } else if (!file.trashPath) {
            colour = Theme::red();
        }
        painter.setPen(colour);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, stateText(file));
        right = state.left() - 8;
    }

    const int left = icon.right() + 1 + kRowSpacing;
    const int available = std::max(0, right - left);
    const QFontMetrics& nameMetrics = fonts.nameMetrics;
    const QFontMetrics& pathMetrics = fonts.pathMetrics;
    const int blockHeight = nameMetrics.height() + 1 + pathMetrics.height();
    const int top = middle - blockHeight / 2;
    const qsizetype slash = file.originalPath.lastIndexOf(u'/');
    const QString name = slash >= 0 ? file.originalPath.mid(slash + 1) : file.originalPath;
    painter.setFont(fonts.name);
    painter.setPen(Paint::ink(widget, Paint::Ink::primary));
    painter.drawText(QRect(left, top, available, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     nameMetrics.elidedText(name, Qt::ElideMiddle, available));
    painter.setFont(fonts.path);
    painter.setPen(Paint::ink(widget, Paint::Ink::tertiary));
    painter.drawText(QRect(left, top + nameMetrics.height() + 1, available, pathMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     pathMetrics.elidedText(FileUtils::abbreviatedPath(file.originalPath), Qt::ElideMiddle, available));
}

} // namespace FileRow

FileList::FileList(Platform::Workspace& workspace, QWidget* parent) : QWidget(parent), m_workspace(workspace)
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void FileList::setFiles(const QList<RemovedFile>& files)
{
    const bool resized = files.size() != m_files.size();
    m_files = files;
    if (resized) {
        m_hovered = -1;
        updateGeometry();
    }
    update();
}

QSize FileList::sizeHint() const
{
    return {400, int(m_files.size()) * FileRow::height()};
}

QRect FileList::rowRect(int row) const
{
    return {0, row * FileRow::height(), width(), FileRow::height()};
}

int FileList::rowAt(const QPoint& point) const
{
    if (point.x() < 0 || point.x() >= width() || point.y() < 0)
        return -1;
    const int row = point.y() / FileRow::height();
    return row < m_files.size() ? row : -1;
}

bool FileList::showsRevealButton(int row) const
{
    return row >= 0 && row == m_hovered && FileRow::isInTrash(m_files[row]);
}

void FileList::revealInTrash(int row)
{
    if (row >= 0 && row < m_files.size() && m_files[row].trashPath)
        m_workspace.reveal(*m_files[row].trashPath);
}

void FileList::setHovered(int row)
{
    if (row == m_hovered)
        return;
    if (m_hovered >= 0)
        update(rowRect(m_hovered));
    m_hovered = row;
    if (m_hovered >= 0)
        update(rowRect(m_hovered));
}

bool FileList::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        setHovered(rowAt(static_cast<QHoverEvent*>(event)->position().toPoint()));
        break;
    case QEvent::HoverLeave:
        setHovered(-1);
        break;
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = rowAt(help->pos());
        QString tip;
        if (row >= 0) {
            const bool reveal = showsRevealButton(row);
            if (reveal && FileRow::revealButtonRect(rowRect(row)).contains(help->pos()))
                tip = u"Voir dans la corbeille"_s;
            else if (FileRow::stateRect(rowRect(row), m_files[row], reveal).contains(help->pos()))
                tip = FileRow::stateToolTip(m_files[row]);
        }
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

void FileList::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const int row = rowAt(at);
    if (event->button() == Qt::LeftButton && showsRevealButton(row) &&
        FileRow::revealButtonRect(rowRect(row)).contains(at)) {
        revealInTrash(row);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void FileList::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int height = FileRow::height();
    const int first = std::max(0, event->rect().top() / height);
    const int last = std::min(int(m_files.size()) - 1, event->rect().bottom() / height);
    for (int row = first; row <= last; ++row)
        FileRow::paint(painter, rowRect(row), m_files[row], row == m_hovered, this, m_workspace);
}
