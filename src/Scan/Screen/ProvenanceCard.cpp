#include "Scan/Screen/ProvenanceCard.h"

#include "Core/BackgroundJob.h"
#include "Core/FileUtils.h"
#include "Look/Divider.h"
#include "Look/ElidedLabel.h"
#include "Look/Paint.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"

#include <algorithm>

#include <QFileIconProvider>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPadding = 14;
constexpr int kSpacing = 10;
constexpr int kFactSpacing = 7;
constexpr int kSymbolFrame = 14;
constexpr qreal kSymbolSize = 10;

// A symbol in a frame 14 points wide beside a text that wraps over as many lines as it needs.
QHBoxLayout* factRow(const QString& symbol, const QColor& tint, TextLabel* text)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(kFactSpacing);
    auto* glyph = new SymbolView(symbol, kSymbolSize, tint);
    glyph->setFixedSize(kSymbolFrame, text->fontMetrics().height());
    row->addWidget(glyph, 0, Qt::AlignTop);
    text->setWordWrap(true);
    row->addWidget(text, 1, Qt::AlignTop);
    return row;
}

// The icon the desktop shows for the file; where it has none (no icon theme), the symbol of a document or a
// folder.
QWidget* fileIcon(const QString& path)
{
    constexpr int side = 26;
    const QFileInfo info(path);
    const QIcon icon = QFileIconProvider().icon(info);
    QWidget* view = nullptr;
    if (const QPixmap pixmap = icon.pixmap(side, side); !pixmap.isNull()) {
        auto* label = new QLabel;
        label->setPixmap(pixmap);
        view = label;
    } else {
        view = new SymbolView(info.isDir() ? sfSymbol(u"folder.fill") : sfSymbol(u"doc"), 22,
                              Paint::ink(nullptr, Paint::Ink::secondary));
    }
    view->setObjectName(u"provenanceIcon"_s);
    view->setFixedSize(side, side);
    return view;
}

QString relative(const QDateTime& date, const QDateTime& now)
{
    return FileUtils::relativeFormatter().localizedString(date, now);
}

// The popover around one card: a rounded panel with an arrow pointing at the anchor.
class ProvenancePopover final : public QWidget
{
public:
    static constexpr int arrowHeight = 8;
    static constexpr int arrowHalfWidth = 9;
    static constexpr qreal cornerRadius = 10;

    ProvenancePopover(QWidget* anchor, ProvenanceCard* card) : QWidget(anchor, Qt::Popup | Qt::FramelessWindowHint)
    {
        setObjectName(u"provenancePopover"_s);
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_TranslucentBackground);
        m_layout = new QVBoxLayout(this);
        m_layout->addWidget(card);
        place(anchor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath outline = shape();
        if (!Paint::composesTranslucentWindows()) // masked: the smoothed edge blends with the window's colour
            painter.fillRect(rect(), palette().color(QPalette::Window));
        painter.fillPath(outline, palette().color(QPalette::Window));
        painter.strokePath(outline, QPen(Paint::ink(this, Paint::Ink::primary, 0.12), 1));
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        Paint::maskToShape(this, shape());
    }

private:
    // The rounded panel with its arrow.
    QPainterPath shape() const
    {
        const QRectF panel = QRectF(rect()).adjusted(0.5, m_arrowOnTop ? arrowHeight + 0.5 : 0.5, -0.5,
                                                     m_arrowOnTop ? -0.5 : -arrowHeight - 0.5);
        const QPainterPath outline = Paint::continuousRoundedRect(panel, cornerRadius);
        const qreal edge = m_arrowOnTop ? panel.top() : panel.bottom();
        const qreal tip = m_arrowOnTop ? 0.5 : height() - 0.5;
        QPainterPath arrow;
        arrow.moveTo(m_arrowX - arrowHalfWidth, edge + (m_arrowOnTop ? 1 : -1));
        arrow.lineTo(m_arrowX, tip);
        arrow.lineTo(m_arrowX + arrowHalfWidth, edge + (m_arrowOnTop ? 1 : -1));
        arrow.closeSubpath();
        return outline.united(arrow);
    }

    // Below the anchor, centred on it, held inside the screen; above it when there is no room below.
    void place(QWidget* anchor)
    {
        const QRect target(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
        const QScreen* screen = anchor->screen();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        m_layout->setContentsMargins(0, arrowHeight, 0, 0);
        adjustSize();
        m_arrowOnTop =
            area.isNull() || target.bottom() + height() <= area.bottom() || target.top() - height() < area.top();
        if (!m_arrowOnTop) {
            m_layout->setContentsMargins(0, 0, 0, arrowHeight);
            adjustSize();
        }
        int x = target.center().x() - width() / 2;
        if (!area.isNull())
            x = std::clamp(x, area.left(), std::max(area.left(), area.right() - width()));
        const int y = m_arrowOnTop ? target.bottom() + 1 : target.top() - height();
        move(x, y);
        m_arrowX = std::clamp(qreal(target.center().x() - x), cornerRadius + arrowHalfWidth,
                              width() - cornerRadius - arrowHalfWidth);
        Paint::maskToShape(this, shape());
    }

    QVBoxLayout* m_layout;
    bool m_arrowOnTop = true;
    qreal m_arrowX = 0;
};

void openPopover(QWidget* anchor, const ScanItem& item, const Provenance& provenance)
{
    // By name: the popover class has no meta-object of its own for a typed search to tell it apart.
    for (QWidget* earlier : anchor->findChildren<QWidget*>(u"provenancePopover"_s, Qt::FindDirectChildrenOnly))
        earlier->close();
    auto* popover = new ProvenancePopover(anchor, new ProvenanceCard(item, provenance));
    popover->show();
}

} // namespace

QList<ProvenanceCard::Fact> ProvenanceCard::facts(const Provenance& provenance, const QDateTime& now)
{
    QList<Fact> rows;
    if (const auto& owner = provenance.owner) {
        if (owner->isInstalled)
            rows.append({u"provenanceOwner"_s, sfSymbol(u"app.badge.checkmark"), Theme::indigo(),
                         owner->name + u", installée"_s});
        else
            rows.append({u"provenanceOwner"_s, sfSymbol(u"app.dashed"), Theme::mint(),
                         owner->name + u" n'est plus installée"_s});
    }
    if (const auto& staleness = provenance.staleness) {
        if (staleness->kind == Provenance::Staleness::Kind::opened)
            rows.append({u"provenanceStaleness"_s, sfSymbol(u"hand.tap"), std::nullopt,
                         u"Dernière ouverture "_s + relative(staleness->date, now)});
        else
            rows.append({u"provenanceStaleness"_s, sfSymbol(u"square.and.pencil"), std::nullopt,
                         u"Rien n'y a été écrit "_s + relative(staleness->date, now)});
    }
    if (const auto& host = provenance.downloadedFrom)
        rows.append(
            {u"provenanceOrigin"_s, sfSymbol(u"arrow.down.circle"), std::nullopt, u"Téléchargé depuis "_s + *host});
    return rows;
}

QString ProvenanceCard::consequence(const Provenance& provenance)
{
    if (provenance.owner && !provenance.owner->isInstalled)
        return u"Rien ne le recréera."_s;
    switch (provenance.kind) {
    case Provenance::Kind::cache:
        return u"Sera recalculé au besoin. Le premier accès suivant sera plus lent."_s;
    case Provenance::Kind::log:
        return u"Rien ne dépend de son contenu, sauf un diagnostic en cours."_s;
    case Provenance::Kind::support:
        return u"Contient des réglages ou des données. L'app repartira de zéro."_s;
    case Provenance::Kind::download:
        return u"Ne sera pas recréé. À retélécharger si besoin."_s;
    case Provenance::Kind::trash:
        return u"Déjà mis au rebut ; la suppression est définitive."_s;
    case Provenance::Kind::unknown:
        break;
    }
    return u"Conséquence inconnue — à examiner avant de cocher."_s;
}

ProvenanceCard::ProvenanceCard(const ScanItem& item, const Provenance& provenance, QWidget* parent)
    : QWidget(parent), m_item(item), m_provenance(provenance)
{
    setFixedWidth(cardWidth);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    stack->setSpacing(kSpacing);

    auto* header = new QHBoxLayout;
    header->setSpacing(9);
    header->addWidget(fileIcon(item.url), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    auto* name = new TextLabel(ElidedLabel::oneLine(item.name), Theme::systemFont(12.5, QFont::DemiBold));
    name->setObjectName(u"provenanceName"_s);
    // One line cut in the middle, with no tooltip, as wide as the column whatever the name's length: a long name
    // must not widen the card's layout.
    name->setElideMode(Qt::ElideMiddle);
    name->setWholeTextToolTip(false);
    name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    titles->addWidget(name);
    auto* size =
        new TextLabel(FileUtils::byteFormatter().string(item.size), Theme::systemFont(11), Paint::Ink::secondary);
    size->setObjectName(u"provenanceSize"_s);
    titles->addWidget(size);
    header->addLayout(titles, 1);
    stack->addLayout(header);

    stack->addWidget(new Divider);
    for (const Fact& fact : facts(provenance, QDateTime::currentDateTimeUtc())) {
        auto* text = new TextLabel(fact.text, Theme::systemFont(11));
        text->setObjectName(fact.objectName);
        stack->addLayout(factRow(fact.symbol, fact.tint.value_or(Paint::ink(nullptr, Paint::Ink::secondary)), text));
    }
    stack->addWidget(new Divider);

    auto* result = new TextLabel(consequence(provenance), Theme::systemFont(11), Paint::Ink::secondary);
    result->setObjectName(u"provenanceConsequence"_s);
    stack->addLayout(factRow(sfSymbol(u"arrow.uturn.forward"), Paint::ink(nullptr, Paint::Ink::tertiary), result));
}

void showProvenanceCard(QWidget* anchor, const ScanItem& item)
{
    if (anchor == nullptr)
        return;
    // The anchor's own line: a newer request replaces an older one, and nothing opens once the anchor is gone.
    Background::JobLine<QWidget>::of(anchor).start([item](const Background::Job<QWidget>& job) {
        Provenance provenance = Provenance::of(item.url);
        job.deliver([item, provenance = std::move(provenance)](QWidget& to) { openPopover(&to, item, provenance); });
    });
}

ProvenanceButton::ProvenanceButton(const ScanItem& item, QWidget* parent) : QAbstractButton(parent), m_item(item)
{
    setObjectName(u"provenanceButton"_s);
    setToolTip(u"D'où vient ce fichier"_s);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this] { showProvenanceCard(this, m_item); });
}

QSize ProvenanceButton::sizeHint() const
{
    return {16, 16};
}

void ProvenanceButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Paint::drawSymbol(painter, sfSymbol(u"info.circle"), QRectF(rect()).center(), 11,
                      Paint::ink(this, isDown() ? Paint::Ink::primary : Paint::Ink::secondary));
}
