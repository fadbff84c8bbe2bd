#include "Scan/HistoryView.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Core/History.h"
#include "Core/ModuleID.h"
#include "Look/CardModifier.h"
#include "Look/DisclosureChevron.h"
#include "Look/Divider.h"
#include "Look/ElidedLabel.h"
#include "Look/EmptyArt.h"
#include "Look/IconTile.h"
#include "Look/Paint.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Workspace.h"
#include "Scan/HistoryModel.h"

#include <QEnterEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

bool existsAt(const QString& path)
{
    struct stat status {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

QLabel* colouredLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent = nullptr)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QString plural(qsizetype n, const QString& singular, const QString& plural)
{
    return QString::number(n) + u' ' + (n < 2 ? singular : plural);
}

// The header line takes a click anywhere in it, gaps included; its buttons keep their own.
class HeaderLine final : public QWidget
{
public:
    HeaderLine(std::function<void()> toggle, QWidget* parent) : QWidget(parent), m_toggle(std::move(toggle))
    {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && m_toggle)
            m_toggle();
    }
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }

private:
    std::function<void()> m_toggle;
};

// The aftermath bar: a mint track and, from the leading edge, the amber share come back.
class ShareBar final : public QWidget
{
public:
    explicit ShareBar(QWidget* parent) : QWidget(parent) { setFixedHeight(6); }
    void setFraction(qreal fraction)
    {
        m_fraction = fraction;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QRectF track = rect();
        painter.fillPath(Paint::capsule(track), Paint::withOpacity(Theme::mint(), 0.25));
        if (m_fraction > 0) {
            const QRectF fill(track.left(), track.top(), track.width() * m_fraction, track.height());
            painter.fillPath(Paint::capsule(fill), Theme::amber());
        }
    }

private:
    qreal m_fraction = 0;
};

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

// Cards made per pass of the event loop while a long journal is first shown.
constexpr int kCardsPerPass = 24;

constexpr int kRowLeading = 24;
constexpr int kRowTrailing = 14;
constexpr int kRowSpacing = 11;
constexpr int kIconSize = 16;
constexpr int kSizeWidth = 66;
constexpr int kDetailsSpacing = 6;

} // namespace

// ---------------------------------------------------------------------------------------------- FileRow

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
    painter.drawText(sizeRect, Qt::AlignRight | Qt::AlignVCenter, HistoryModel::byteText(file.bytes));
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

// --------------------------------------------------------------------------------------------- FileList

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

// ------------------------------------------------------------------------------------------ DetailsLine

DetailsLine::DetailsLine(QWidget* parent) : QWidget(parent)
{
    setFont(Theme::systemFont(11));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void DetailsLine::setPieces(const QList<Piece>& pieces)
{
    m_pieces = pieces;
    updateGeometry();
    update();
}

QSize DetailsLine::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    int width = 0;
    for (const Piece& piece : m_pieces)
        width += metrics.horizontalAdvance(piece.text);
    width += kDetailsSpacing * int(std::max<qsizetype>(0, m_pieces.size() - 1));
    return {width, metrics.height()};
}

QSize DetailsLine::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

QList<QRect> DetailsLine::layoutPieces(QStringList* shown) const
{
    const QFontMetrics metrics = fontMetrics();
    // Short of room the date gives way first, then the line is shortened from its end.
    int excess = sizeHint().width() - width();
    QList<QRect> rects;
    int x = 0;
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        const QString& text = m_pieces[i].text;
        int wanted = metrics.horizontalAdvance(text);
        if (i == 0 && excess > 0) {
            // It keeps its first characters (the day and the month), so that it still reads as a date.
            const int least = std::min(wanted, metrics.horizontalAdvance(text.left(6) + u"…"_s) + 1);
            const int given = std::max(least, wanted - excess);
            excess -= wanted - given;
            wanted = given;
        }
        const int room = std::max(0, width() - x);
        const int w = std::min(wanted, room);
        rects.append(QRect(x, 0, w, height()));
        if (shown != nullptr)
            shown->append(w < metrics.horizontalAdvance(text) ? metrics.elidedText(text, Qt::ElideRight, w) : text);
        x += w + kDetailsSpacing;
    }
    // A separator goes with the piece after it.
    for (qsizetype i = 1; shown != nullptr && i < m_pieces.size(); ++i) {
        if ((*shown)[i].isEmpty() && m_pieces[i - 1].text == u"·"_s)
            (*shown)[i - 1].clear();
    }
    return rects;
}

void DetailsLine::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStringList shown;
    const QList<QRect> rects = layoutPieces(&shown);
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        if (rects[i].width() <= 0 || shown[i].isEmpty())
            continue;
        painter.setPen(m_pieces[i].colour.value_or(Paint::ink(this, Paint::Ink::secondary)));
        painter.drawText(rects[i], Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown[i]);
    }
}

bool DetailsLine::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QList<QRect> rects = layoutPieces(nullptr);
        QString tip;
        for (qsizetype i = 0; i < m_pieces.size(); ++i) {
            if (rects[i].contains(help->pos()))
                tip = m_pieces[i].toolTip;
        }
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

// ------------------------------------------------------------------------------------------ SessionCard

SessionCard::SessionCard(Platform::Workspace& workspace, Actions actions, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_actions(std::move(actions))
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* inner = new QWidget;
    m_column = new QVBoxLayout(inner);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    outer->addWidget(card(inner, 0, this));

    m_header = new HeaderLine([this] { m_actions.toggle ? m_actions.toggle() : void(); }, inner);
    m_header->setObjectName(u"sessionHeader"_s);
    m_headerRow = new QHBoxLayout(m_header);
    m_headerRow->setContentsMargins(14, 12, 14, 12);
    m_headerRow->setSpacing(12);

    // The title and the details give way (shortened with "…") before the buttons and the figure do.
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    m_title = new ElidedLabel(QString(), Theme::systemFont(13.5, QFont::DemiBold));
    m_title->setElideMode(Qt::ElideRight);
    titles->addWidget(m_title);
    m_detailsLine = new DetailsLine;
    titles->addWidget(m_detailsLine);
    m_headerRow->addLayout(titles, 1);
    m_headerRow->addSpacing(12);

    m_restore = new StyledButton(u"Remettre en place"_s, QuietButtonStyle{});
    connect(m_restore, &StyledButton::clicked, this, [this] { m_actions.restore ? m_actions.restore() : void(); });
    m_snapshot = new StyledButton(u"Depuis l'instantané"_s, QuietButtonStyle{});
    connect(m_snapshot, &StyledButton::clicked, this,
            [this] { m_actions.restoreFromSnapshot ? m_actions.restoreFromSnapshot() : void(); });
    m_freed = new TextLabel(QString(), Theme::systemFont(13, QFont::DemiBold, Theme::Design::rounded));
    m_freed->setObjectName(u"sessionFreed"_s);
    m_freed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_freed->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    m_chevron = new DisclosureChevron(false);
    m_headerRow->addWidget(m_restore);
    m_headerRow->addWidget(m_snapshot);
    m_headerRow->addWidget(m_freed);
    m_headerRow->addWidget(m_chevron);
    m_column->addWidget(m_header);
}

void SessionCard::show(const CleaningSession& session, bool expanded,
                       const std::optional<Aftermath::Regrowth>& regrowth)
{
    const bool filesChanged = !m_built || session.files != m_session.files;
    m_session = session;
    m_built = true;

    if (m_tile == nullptr || m_tileModule != session.moduleID) {
        const std::optional<ModuleID> module = fromRaw<ModuleID>(session.moduleID);
        auto* tile = new IconTile(module ? symbol(*module) : u"trash"_s, module ? Theme::tint(*module) : Theme::slate(),
                                  28, false);
        if (m_tile != nullptr) {
            m_headerRow->replaceWidget(m_tile, tile);
            delete m_tile;
        } else {
            m_headerRow->insertWidget(0, tile);
        }
        m_tile = tile;
        m_tileModule = session.moduleID;
    }
    m_title->setText(session.moduleTitle);
    rebuildDetails(regrowth);

    const int restorable = session.restorableFiles();
    m_restore->setVisible(restorable >= 1);
    m_restore->setToolTip(QString::number(restorable) + u" élément(s) encore dans la corbeille"_s);
    const int unrestored = session.unrestoredFiles();
    m_snapshot->setVisible(session.snapshotStamp.has_value() && unrestored >= 1);
    m_snapshot->setToolTip(QString::number(unrestored) + u" élément(s) — demande votre "_s +
                           u"mot de passe, le temps de monter l'instantané"_s);
    m_freed->setText(HistoryModel::byteText(session.keptBytes()));
    // At least 74 points, and never narrower than its text: a figure is never cut.
    m_freed->setFixedWidth(std::max(74, m_freed->sizeHint().width()));
    m_chevron->setExpanded(expanded);

    if (expanded && expanded == m_expanded && m_list != nullptr && filesChanged && m_rowCount == session.files.size()) {
        // The same number of files in a new state (a restore marked some): the list takes them in place.
        m_list->setFiles(session.files.first(std::min<qsizetype>(session.files.size(), HistoryModel::fileRowLimit)));
    } else if (expanded != m_expanded || (expanded && filesChanged)) {
        m_expanded = expanded;
        rebuildRows();
    } else if (expanded && m_list != nullptr) {
        m_list->update(); // file states are read again at the next drawing
    }
}

void SessionCard::rebuildDetails(const std::optional<Aftermath::Regrowth>& regrowth)
{
    const int back = regrowth && regrowth->pathsBack >= 1 ? regrowth->pathsBack : 0;
    const DetailsKey key{m_session.date, m_session.files.size(), m_session.failureCount, back,
                         back > 0 ? regrowth->returned : 0};
    if (m_details && *m_details == key)
        return;
    m_details = key;
    // Date, "·", count, then "·" and the failures, "·" and what came back, as the session asks.
    QList<DetailsLine::Piece> pieces{
        {DateTimeFormatter::mediumDateShortTime().string(m_session.date.toLocalTime()), {}, {}},
        {u"·"_s, {}, {}},
        {plural(m_session.files.size(), u"élément"_s, u"éléments"_s), {}, {}}};
    if (m_session.failureCount >= 1) {
        pieces.append({u"·"_s, {}, {}});
        pieces.append(
            {QString::number(m_session.failureCount) + (m_session.failureCount == 1 ? u" échec"_s : u" échecs"_s),
             Theme::amber(),
             {}});
    }
    if (back > 0) {
        pieces.append({u"·"_s, {}, {}});
        pieces.append({HistoryModel::byteText(regrowth->returned) + u" revenus"_s, Theme::amber(),
                       QString::number(back) + u" emplacement(s) sont réoccupés "_s + u"depuis ce nettoyage."_s});
    }
    m_detailsLine->setPieces(pieces);
}

void SessionCard::showRegrowth(const std::optional<Aftermath::Regrowth>& regrowth)
{
    if (m_built)
        rebuildDetails(regrowth);
}

QStringList SessionCard::details() const
{
    QStringList texts;
    for (const DetailsLine::Piece& piece : m_detailsLine->pieces())
        texts.append(piece.text);
    return texts;
}

void SessionCard::rebuildRows()
{
    delete m_content;
    m_content = nullptr;
    m_list = nullptr;
    m_more = nullptr;
    if (!m_expanded)
        return;
    m_content = new QWidget;
    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(new Divider(46));
    const qsizetype shown = std::min<qsizetype>(m_session.files.size(), HistoryModel::fileRowLimit);
    m_rowCount = m_session.files.size();
    m_list = new FileList(m_workspace);
    m_list->setObjectName(u"fileList"_s);
    m_list->setFiles(m_session.files.first(shown));
    column->addWidget(m_list);
    if (m_session.files.size() > HistoryModel::fileRowLimit) {
        m_more = new TextLabel(u"… et "_s + QString::number(m_session.files.size() - HistoryModel::fileRowLimit) +
                                   u" autres éléments."_s,
                               Theme::systemFont(11), Paint::Ink::tertiary);
        m_more->setContentsMargins(46, 8, 46, 8);
        column->addWidget(m_more);
    }
    m_column->addWidget(m_content);
}

// --------------------------------------------------------------------------------------- AftermathBlock

AftermathBlock::AftermathBlock(QWidget* parent) : QWidget(parent)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 14, 14, 0);
    auto* inner = new QWidget;
    auto* column = new QVBoxLayout(inner);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(10);
    auto* header = new QHBoxLayout;
    header->addWidget(new TextLabel(u"Ce qui est revenu depuis"_s, Theme::systemFont(12, QFont::DemiBold)), 0,
                      Qt::AlignBaseline);
    header->addSpacing(8);
    header->addStretch(1);
    m_net = colouredLabel(QString(), Theme::systemFont(12, QFont::DemiBold, Theme::Design::rounded), Theme::mint());
    header->addWidget(m_net, 0, Qt::AlignBaseline);
    column->addLayout(header);
    m_bar = new ShareBar(inner);
    column->addWidget(m_bar);
    m_rows = new QVBoxLayout;
    m_rows->setSpacing(10);
    column->addLayout(m_rows);
    auto* note = new TextLabel(u"Mesuré sur les emplacements exacts qui ont été vidés, à l'instant. Un cache qui "_s
                               u"repousse n'est pas une anomalie — c'est son travail. Mais vous savez maintenant "_s
                               u"lequel vaut le geste."_s,
                               Theme::systemFont(10.5), Paint::Ink::tertiary);
    note->setWordWrap(true);
    column->addWidget(note);
    m_card = card(inner, 0, this);
    outer->addWidget(m_card);
    setVisible(false);
}

void AftermathBlock::show(const QList<Aftermath::Verdict>& verdicts, qint64 freed, qint64 returned)
{
    setVisible(freed > 0);
    qint64 net = 0;
    if (__builtin_sub_overflow(freed, returned, &net))
        net = 0;
    m_net->setText(HistoryModel::byteText(net) + u" nets sur "_s + HistoryModel::byteText(freed));
    m_fraction = freed > 0 ? std::min(double(returned) / double(freed), 1.0) : 0;
    static_cast<ShareBar*>(m_bar)->setFraction(m_fraction);

    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const Aftermath::Verdict& verdict : verdicts) {
        auto* row = new QWidget;
        row->setProperty("module", toRaw(verdict.module));
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        auto* icon = new SymbolView(symbol(verdict.module), 10, Theme::tint(verdict.module));
        icon->setFixedWidth(16);
        line->addWidget(icon, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        auto* title = new TextLabel(::title(verdict.module), Theme::systemFont(11.5, QFont::Medium));
        title->setObjectName(u"verdictTitle"_s);
        auto* sentence = new TextLabel(verdict.summary(), Theme::systemFont(11), Paint::Ink::secondary);
        sentence->setObjectName(u"verdictSentence"_s);
        sentence->setWordWrap(true);
        texts->addWidget(title);
        texts->addWidget(sentence);
        line->addLayout(texts, 1);
        line->addSpacing(8);
        const QString share = QString::asprintf("%lld", qint64(HistoryModel::sharePercent(verdict))) + u" %"_s;
        const QFont shareFont = Theme::systemFont(11.5, QFont::DemiBold, Theme::Design::rounded);
        QLabel* figure = HistoryModel::shareIsHigh(verdict) ? colouredLabel(share, shareFont, Theme::amber())
                                                            : new TextLabel(share, shareFont, Paint::Ink::secondary);
        figure->setObjectName(u"verdictShare"_s);
        line->addWidget(figure, 0, Qt::AlignTop);
        m_rows->addWidget(row);
    }
}

QString AftermathBlock::netLine() const
{
    return m_net->text();
}

QList<QStringList> AftermathBlock::rows() const
{
    QList<QStringList> rows;
    for (int i = 0; i < m_rows->count(); ++i) {
        QWidget* row = m_rows->itemAt(i)->widget();
        rows.append({row->findChild<QLabel*>(u"verdictTitle"_s)->text(),
                     row->findChild<QLabel*>(u"verdictSentence"_s)->text(),
                     row->findChild<QLabel*>(u"verdictShare"_s)->text()});
    }
    return rows;
}

// ------------------------------------------------------------------------------------------ HistoryView

HistoryView::HistoryView(History& history, WorkInFlight& inFlight, Platform::Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_model(new HistoryModel(history, inFlight, this))
{
    setObjectName(u"historyView"_s);
    setMinimumSize(contentMinimumWidth, contentMinimumHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QWidget;
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(16, 16, 16, 16);
    headerRow->setSpacing(14);
    headerRow->addWidget(new IconTile(u"clock.arrow.circlepath"_s, Theme::slate(), 40, true));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(new TextLabel(u"Historique de nettoyage"_s, Theme::systemFont(15, QFont::DemiBold)));
    m_subtitle = new TextLabel(QString(), Theme::systemFont(11.5), Paint::Ink::secondary);
    m_subtitle->setObjectName(u"historySubtitle"_s);
    titles->addWidget(m_subtitle);
    headerRow->addLayout(titles);
    headerRow->addSpacing(8);
    headerRow->addStretch(1);
    m_clear = new StyledButton(u"Vider l'historique"_s, QuietButtonStyle{});
    m_clear->setToolTip(u"Efface le journal. Ne touche pas à la corbeille."_s);
    connect(m_clear, &StyledButton::clicked, m_model, &HistoryModel::clearHistory);
    headerRow->addWidget(m_clear);
    column->addWidget(header);
    column->addWidget(new Divider);

    m_body = new QStackedWidget;
    auto* empty = new QWidget;
    auto* emptyColumn = new QVBoxLayout(empty);
    emptyColumn->setSpacing(14);
    emptyColumn->addStretch(1);
    emptyColumn->addWidget(new EmptyArt(u"clock"_s, Theme::slate(), 96), 0, Qt::AlignHCenter);
    emptyColumn->addWidget(new TextLabel(u"Aucun nettoyage enregistré"_s, Theme::systemFont(13, QFont::Medium)), 0,
                           Qt::AlignHCenter);
    auto* message = new TextLabel(u"Chaque passage sera consigné ici : ce qui est parti, quand, et combien.\n"_s
                                  u"Ce qui va à la corbeille reste récupérable depuis cette fenêtre."_s,
                                  Theme::systemFont(11.5), Paint::Ink::secondary);
    message->setAlignment(Qt::AlignHCenter);
    emptyColumn->addWidget(message, 0, Qt::AlignHCenter);
    emptyColumn->addStretch(1);
    m_body->addWidget(empty);

    m_scroll = new QScrollArea;
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // the cards give way instead
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    m_list = new QVBoxLayout(content);
    m_list->setContentsMargins(14, 14, 14, 14);
    m_list->setSpacing(8);
    m_aftermath = new AftermathBlock;
    m_list->addWidget(m_aftermath);
    m_list->addStretch(1);
    m_scroll->setWidget(content);
    m_body->addWidget(m_scroll);
    column->addWidget(m_body, 1);

    m_noticeDivider = new Divider;
    column->addWidget(m_noticeDivider);
    m_notice = new TextLabel(QString(), Theme::systemFont(11.5), Paint::Ink::secondary);
    m_notice->setObjectName(u"historyNotice"_s);
    m_notice->setContentsMargins(16, 9, 16, 9);
    m_notice->setWordWrap(true);
    column->addWidget(m_notice);

    connect(m_model, &HistoryModel::changed, this, &HistoryView::refresh);
    connect(m_model, &HistoryModel::expansionChanged, this, &HistoryView::refreshCard);
    connect(m_model, &HistoryModel::measured, this, [this] {
        // Only the figures: the block and each card's details line.
        m_aftermath->show(m_model->verdicts(), m_model->blockFreed(), m_model->blockReturned());
        for (auto it = m_cards.cbegin(); it != m_cards.cend(); ++it)
            it.value()->showRegrowth(m_model->regrowth(it.key()));
    });
    refresh();
    m_model->start();
}

bool HistoryView::showsEmptyState() const
{
    return m_body->currentIndex() == 0;
}

QList<SessionCard*> HistoryView::cards() const
{
    QList<SessionCard*> cards;
    for (const QUuid& id : m_order)
        cards.append(m_cards.value(id));
    return cards;
}

void HistoryView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Paint::withOpacity(palette().color(QPalette::Base), 0.25));
}

void HistoryView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
}

void HistoryView::refreshCard(const QUuid& id)
{
    SessionCard* card = m_cards.value(id);
    const std::optional<CleaningSession> session = m_model->history().session(id);
    if (card != nullptr && session)
        card->show(*session, m_model->isExpanded(id), m_model->regrowth(id));
}

void HistoryView::refresh()
{
    sync(false);
}

void HistoryView::sync(bool onlyNewCards)
{
    const QList<CleaningSession>& sessions = m_model->sessions();
    m_subtitle->setText(m_model->subtitle());
    m_clear->setVisible(!sessions.isEmpty());
    m_body->setCurrentIndex(sessions.isEmpty() ? 0 : 1);
    m_noticeDivider->setVisible(m_model->notice().has_value());
    m_notice->setVisible(m_model->notice().has_value());
    m_notice->setText(m_model->notice().value_or(QString()));
    m_aftermath->show(m_model->verdicts(), m_model->blockFreed(), m_model->blockReturned());

    // Cards are kept by session id, so an open card stays open and is not rebuilt when the journal changes.
    QList<QUuid> order;
    order.reserve(sessions.size());
    QHash<QUuid, SessionCard*> kept;
    int made = 0;
    bool more = false;
    for (const CleaningSession& session : sessions) {
        if (kept.contains(session.id))
            continue; // a hand-edited journal may repeat an id: one card for it
        SessionCard* card = m_cards.take(session.id);
        if (card == nullptr && made == kCardsPerPass) {
            more = true; // the rest on the next passes, so that a long journal never holds the window up
            continue;
        }
        if (card == nullptr) {
            ++made;
            const QUuid id = session.id;
            card = new SessionCard(
                m_workspace, {[this, id] { m_model->toggle(id); }, [this, id] { m_model->restoreFromTrash(id); },
                              [this, id] {
                                  if (const std::optional<CleaningSession> current = m_model->history().session(id))
                                      m_model->restoreFromSnapshot(*current);
                              }});
        }
        if (!onlyNewCards || !m_order.contains(session.id))
            card->show(session, m_model->isExpanded(session.id), m_model->regrowth(session.id));
        kept.insert(session.id, card);
        order.append(session.id);
    }
    qDeleteAll(m_cards);
    m_cards = kept;
    if (order != m_order && order.size() > m_order.size() && order.first(m_order.size()) == m_order) {
        // Only new cards after the ones shown: they are added below them.
        for (qsizetype i = m_order.size(); i < order.size(); ++i)
            m_list->insertWidget(int(i + 1), m_cards.value(order[i]));
        m_order = order;
    } else if (order != m_order) {
        for (const QUuid& id : order)
            m_list->removeWidget(m_cards.value(id));
        for (qsizetype i = 0; i < order.size(); ++i)
            m_list->insertWidget(int(i + 1), m_cards.value(order[i]));
        m_order = order;
    }
    if (more && !m_refreshQueued) {
        m_refreshQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_refreshQueued = false;
            sync(true);
        });
    }
}
