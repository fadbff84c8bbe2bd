#include "Scan/History/SessionCard.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Core/ModuleID.h"
#include "Look/CardModifier.h"
#include "Look/DisclosureChevron.h"
#include "Look/Divider.h"
#include "Look/ElidedLabel.h"
#include "Look/IconTile.h"
#include "Look/Paint.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/History/HistoryViewModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

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

} // namespace

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
    m_freed->setText(HistoryViewModel::byteText(session.keptBytes()));
    // At least 74 points, and never narrower than its text: a figure is never cut.
    m_freed->setFixedWidth(std::max(74, m_freed->sizeHint().width()));
    m_chevron->setExpanded(expanded);

    if (expanded && expanded == m_expanded && m_list != nullptr && filesChanged && m_rowCount == session.files.size()) {
        // The same number of files in a new state (a restore marked some): the list takes them in place.
        m_list->setFiles(
            session.files.first(std::min<qsizetype>(session.files.size(), HistoryViewModel::fileRowLimit)));
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
        pieces.append({HistoryViewModel::byteText(regrowth->returned) + u" revenus"_s, Theme::amber(),
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
    const qsizetype shown = std::min<qsizetype>(m_session.files.size(), HistoryViewModel::fileRowLimit);
    m_rowCount = m_session.files.size();
    m_list = new FileList(m_workspace);
    m_list->setObjectName(u"fileList"_s);
    m_list->setFiles(m_session.files.first(shown));
    column->addWidget(m_list);
    if (m_session.files.size() > HistoryViewModel::fileRowLimit) {
        m_more = new TextLabel(u"… et "_s + QString::number(m_session.files.size() - HistoryViewModel::fileRowLimit) +
                                   u" autres éléments."_s,
                               Theme::systemFont(11), Paint::Ink::tertiary);
        m_more->setContentsMargins(46, 8, 46, 8);
        column->addWidget(m_more);
    }
    m_column->addWidget(m_content);
}
