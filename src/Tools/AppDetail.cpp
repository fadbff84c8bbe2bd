#include "Tools/AppDetail.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Look/CardModifier.h"
#include "Look/ElidedLabel.h"
#include "Look/SpinnerRing.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Tools/UninstallerRules.h"
#include "Tools/UninstallerViewModel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString byteText(qint64 bytes)
{
    return ByteCountFormatter().string(bytes); // "0 Ko" at zero or less
}

void colour(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QWidget* sizeTile(const QString& label, qint64 bytes, const QString& name)
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(new TextLabel(label, Theme::systemFont(10, QFont::DemiBold), Paint::Ink::secondary));
    auto* value = new TextLabel(byteText(bytes), Theme::systemFont(14, QFont::DemiBold, Theme::Design::rounded));
    value->setObjectName(name);
    column->addWidget(value);
    CardModifier* tile = card(content, 10);
    tile->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return tile;
}

} // namespace

AppDetail::Summary AppDetail::traceSummary(const Receipts::Trace& trace, const QString& application)
{
    const qsizetype files = trace.files.size();
    const qsizetype outside = trace.filesOutside(application).size();
    QString text = QString::number(files) + (files < 2 ? u" fichier"_s : u" fichiers"_s);
    if (outside > 0)
        return {text + u", dont "_s + QString::number(outside) + u" hors du bundle"_s, true};
    return {text + u" — tous dans le bundle"_s, false};
}

QString AppDetail::lastOpenedSymbol(const QDateTime& lastUsed, const QDateTime& now)
{
    return Uninstaller::unusedSince(lastUsed, now) ? sfSymbol(u"clock.badge.exclamationmark") : sfSymbol(u"clock");
}

AppDetail::AppDetail(const InstalledApp& app, UninstallerViewModel& model, Platform::Workspace& workspace,
                     std::function<void()> onUninstall, QWidget* parent)
    : QWidget(parent), m_app(app), m_model(&model), m_onUninstall(std::move(onUninstall))
{
    setObjectName(u"appDetail"_s);
    auto* pane = new QVBoxLayout(this);
    pane->setContentsMargins(14, 0, 0, 0);
    pane->setSpacing(14);
    // What is above the buttons scrolls when the window is too short for it, rather than being squeezed until
    // its lines overlap; the buttons stay at the bottom.
    auto* content = new QWidget;
    content->setObjectName(u"detailContent"_s);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);

    // Who it is.
    auto* header = new QHBoxLayout;
    header->setSpacing(14);
    const QIcon icon = workspace.icon(app.url);
    if (!icon.isNull()) {
        auto* picture = new QLabel;
        picture->setObjectName(u"appIcon"_s);
        picture->setPixmap(icon.pixmap(54, 54));
        picture->setFixedSize(54, 54);
        header->addWidget(picture);
    }
    auto* identity = new QVBoxLayout;
    identity->setSpacing(3);
    auto* name = new ElidedLabel(app.name, Theme::systemFont(17, QFont::DemiBold));
    name->setObjectName(u"appName"_s);
    name->setElideMode(Qt::ElideRight);
    identity->addWidget(name);
    auto* identifier = new ElidedLabel(app.bundleID.isEmpty() ? u"identifiant inconnu"_s : app.bundleID,
                                       Theme::monoFont(), Paint::Ink::secondary);
    identifier->setObjectName(u"appIdentifier"_s);
    identity->addWidget(identifier);
    auto* version = new ElidedLabel(u"Version "_s + app.version, Theme::systemFont(11), Paint::Ink::tertiary);
    version->setObjectName(u"appVersion"_s);
    identity->addWidget(version);
    header->addLayout(identity, 1);
    column->addLayout(header);

    // Its sizes.
    qint64 leftovers = 0;
    for (const ScanItem& item : app.leftovers)
        leftovers = FileUtils::addBytes(leftovers, qMax<qint64>(item.size, 0));
    auto* sizes = new QHBoxLayout;
    sizes->setSpacing(10);
    sizes->addWidget(sizeTile(u"Application"_s, app.size, u"bundleSize"_s), 1);
    sizes->addWidget(sizeTile(u"Fichiers associés"_s, leftovers, u"leftoversSize"_s), 1);
    sizes->addWidget(sizeTile(u"Total"_s, Uninstaller::totalSize(app), u"totalSize"_s), 1);
    column->addLayout(sizes);

    // When it was last opened, when known.
    if (app.lastUsed) {
        auto* line = new QWidget;
        line->setObjectName(u"lastOpened"_s);
        auto* row = new QHBoxLayout(line);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(6);
        const QString symbol = lastOpenedSymbol(*app.lastUsed, model.now());
        const bool old = symbol != sfSymbol(u"clock");
        auto* clock = new SymbolView(symbol, 11.5, old ? Theme::amber() : QColor());
        clock->setObjectName(u"lastOpenedSymbol"_s);
        row->addWidget(clock);
        auto* text = new QLabel(u"Dernière ouverture "_s + FileUtils::relativeDate(app.lastUsed).value_or(QString()));
        text->setTextFormat(Qt::PlainText);
        text->setFont(Theme::systemFont(11.5));
        if (old)
            colour(text, Theme::amber());
        else
            colour(text, Paint::ink(this, Paint::Ink::secondary));
        row->addWidget(text, 1);
        column->addWidget(line);
    }

    m_leftoversBox = new QCheckBox(u"Supprimer aussi les fichiers associés"_s);
    m_leftoversBox->setObjectName(u"removeLeftoversBox"_s);
    m_leftoversBox->setFont(Theme::systemFont(12));
    connect(m_leftoversBox, &QCheckBox::toggled, this, [this](bool on) {
        if (m_model)
            m_model->setRemoveLeftovers(on);
    });
    column->addWidget(m_leftoversBox);

    m_receipts = new QWidget;
    m_receipts->setObjectName(u"receiptsSection"_s);
    m_receiptsLayout = new QVBoxLayout(m_receipts);
    m_receiptsLayout->setContentsMargins(0, 0, 0, 0);
    m_receiptsLayout->setSpacing(7);
    column->addWidget(m_receipts);

    // The associated files.
    if (app.leftovers.isEmpty()) {
        auto* none = new TextLabel(u"Aucun fichier associé détecté hors du bundle."_s, Theme::systemFont(11.5),
                                   Paint::Ink::tertiary);
        none->setObjectName(u"noLeftovers"_s);
        column->addWidget(none);
    } else {
        column->addWidget(new TextLabel(u"Fichiers associés"_s, Theme::captionFont(), Paint::Ink::secondary));
        auto* scroll = new QScrollArea;
        scroll->setObjectName(u"leftoversList"_s);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* rows = new QWidget;
        auto* list = new QVBoxLayout(rows);
        list->setContentsMargins(0, 0, 0, 0);
        list->setSpacing(0);
        for (const ScanItem& item : app.leftovers) {
            auto* row = new QWidget;
            row->setObjectName(u"leftoverRow"_s);
            auto* lines = new QVBoxLayout(row);
            lines->setContentsMargins(0, 4, 8, 4); // clear of the scroll bar
            lines->setSpacing(2);
            auto* line = new QHBoxLayout;
            line->setSpacing(8);
            auto* place = new ElidedLabel(item.detail.value_or(QString()), Theme::systemFont(10.5, QFont::Medium));
            place->setElideMode(Qt::ElideRight);
            if (item.isRisky) {
                // Another application's data too: a line of its own with its tick and who else uses it, above.
                auto* shared = new QHBoxLayout;
                shared->setSpacing(6);
                auto* box = new QCheckBox;
                box->setObjectName(u"leftoverBox"_s);
                box->setChecked(item.isSelected);
                connect(box, &QCheckBox::toggled, this, [this, id = item.id](bool on) {
                    if (m_model)
                        m_model->setLeftoverSelected(m_app.id, id, on);
                });
                m_leftoverBoxes.insert(item.id, box);
                shared->addWidget(box);
                place->setColor(Theme::amber());
                shared->addWidget(place, 1);
                lines->addLayout(shared);
            } else {
                place->setColor(Theme::indigo());
                place->setFixedWidth(120);
                line->addWidget(place);
            }
            lines->addLayout(line);
            line->addWidget(
                new ElidedLabel(FileUtils::abbreviatedPath(item.url), Theme::monoFont(), Paint::Ink::secondary), 1);
            line->addSpacing(8);
            line->addWidget(new TextLabel(byteText(item.size),
                                          Theme::systemFont(10.5, QFont::Normal, Theme::Design::rounded),
                                          Paint::Ink::tertiary));
            list->addWidget(row);
        }
        list->addStretch(1);
        scroll->setWidget(rows);
        scroll->setMaximumHeight(220);
        column->addWidget(scroll);
    }

    column->addStretch(1);
    auto* contentScroll = new QScrollArea;
    contentScroll->setObjectName(u"detailScroll"_s);
    contentScroll->setFrameShape(QFrame::NoFrame);
    contentScroll->setWidgetResizable(true);
    contentScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    contentScroll->setWidget(content);
    pane->addWidget(contentScroll, 1);

    auto* buttons = new QHBoxLayout;
    auto* reveal = new StyledButton(u"Afficher dans le Finder"_s, QuietButtonStyle{});
    reveal->setObjectName(u"revealButton"_s);
    connect(reveal, &QAbstractButton::clicked, this, [&workspace, url = app.url] { workspace.reveal(url); });
    buttons->addWidget(reveal);
    buttons->addStretch(1);
    // From the confirmation to the end, also while an open application is given time to quit: what it is doing, on
    // a line of its own above the buttons, so that beside them in a narrow pane neither is cut.
    auto* stageLine = new QHBoxLayout;
    stageLine->setSpacing(8);
    m_progress = new SpinnerRing(2);
    m_progress->setObjectName(u"uninstallProgress"_s);
    m_progress->setFixedSize(16, 16);
    stageLine->addWidget(m_progress);
    m_stage = new TextLabel(QString(), Theme::systemFont(11.5), Paint::Ink::secondary);
    m_stage->setObjectName(u"uninstallStage"_s);
    m_stage->setElideMode(Qt::ElideRight);
    stageLine->addWidget(m_stage, 1);
    pane->addLayout(stageLine);
    m_uninstall = new StyledButton(u"Désinstaller"_s, PrimaryButtonStyle{Theme::dangerGradient(), true});
    m_uninstall->setObjectName(u"uninstallButton"_s);
    connect(m_uninstall, &QAbstractButton::clicked, this, [this] {
        if (m_onUninstall)
            m_onUninstall();
    });
    buttons->addWidget(m_uninstall);
    pane->addLayout(buttons);

    connect(m_model, &UninstallerViewModel::changed, this, &AppDetail::refresh);
    refresh();
    // The receipts are read once the pane stands, for this application; a pane for another one reads anew.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_model)
                m_model->loadTraces(m_app);
        },
        Qt::QueuedConnection);
}

void AppDetail::refresh()
{
    if (!m_model)
        return;
    const std::optional<QString> stage = m_model->uninstallStage(m_app.id);
    m_progress->setVisible(stage.has_value());
    m_stage->setVisible(stage.has_value());
    m_stage->setText(stage.value_or(QString()));
    if (m_uninstall->isEnabled() == stage.has_value()) {
        m_uninstall->setEnabled(!stage);
        m_uninstall->setButtonStyle(PrimaryButtonStyle{Theme::dangerGradient(), !stage});
    }
    if (m_leftoversBox->isChecked() != m_model->removeLeftovers()) {
        const QSignalBlocker quiet(m_leftoversBox);
        m_leftoversBox->setChecked(m_model->removeLeftovers());
    }
    if (const std::optional<InstalledApp> current = m_model->app(m_app.id)) {
        for (const ScanItem& item : current->leftovers) {
            QCheckBox* box = m_leftoverBoxes.value(item.id);
            if (box && box->isChecked() != item.isSelected) {
                const QSignalBlocker quiet(box);
                box->setChecked(item.isSelected);
            }
        }
    }
    rebuildReceipts();
}

void AppDetail::rebuildReceipts()
{
    const bool reading = m_model->isReadingReceipts();
    if (m_receiptsBuilt && reading == m_shownReading && (reading || m_model->traces() == m_shownTraces))
        return;
    m_receiptsBuilt = true;
    m_shownReading = reading;
    m_shownTraces = m_model->traces();
    while (QLayoutItem* item = m_receiptsLayout->takeAt(0)) {
        delete item->widget();
        delete item->layout();
        delete item;
    }

    if (reading) {
        auto* line = new QWidget;
        line->setObjectName(u"readingReceipts"_s);
        auto* row = new QHBoxLayout(line);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(7);
        auto* spinner = new QProgressBar;
        spinner->setRange(0, 0);
        spinner->setTextVisible(false);
        spinner->setFixedSize(60, 8);
        row->addWidget(spinner);
        row->addWidget(
            new TextLabel(u"Lecture des reçus d'installation…"_s, Theme::systemFont(11.5), Paint::Ink::secondary), 1);
        m_receiptsLayout->addWidget(line);
        m_receipts->setVisible(true);
        return;
    }
    if (m_shownTraces.isEmpty()) {
        // No receipt names this application: no section at all.
        m_receipts->setVisible(false);
        return;
    }

    auto* heading = new QWidget;
    auto* headingRow = new QHBoxLayout(heading);
    headingRow->setContentsMargins(0, 0, 0, 0);
    headingRow->setSpacing(6);
    headingRow->addWidget(new SymbolView(sfSymbol(u"checkmark.seal.fill"), 12, Theme::mint()));
    auto* headingText = new QLabel(u"Déclaré par l'installeur"_s);
    headingText->setFont(Theme::captionFont());
    colour(headingText, Theme::mint());
    headingRow->addWidget(headingText, 1);
    m_receiptsLayout->addWidget(heading);

    for (const Receipts::Trace& trace : m_shownTraces) {
        auto* row = new QWidget;
        row->setObjectName(u"traceRow"_s);
        auto* lines = new QVBoxLayout(row);
        lines->setContentsMargins(0, 3, 0, 3);
        lines->setSpacing(2);
        auto* top = new QHBoxLayout;
        top->setSpacing(6);
        top->addWidget(new ElidedLabel(trace.package.id, Theme::monoFont()), 1);
        top->addSpacing(8);
        top->addWidget(
            new TextLabel(byteText(trace.bytes), Theme::systemFont(11, QFont::Medium, Theme::Design::rounded)));
        lines->addLayout(top);
        const Summary summary = traceSummary(trace, m_app.url);
        auto* said = new QLabel(summary.text);
        said->setObjectName(u"traceSummary"_s);
        said->setTextFormat(Qt::PlainText);
        said->setFont(Theme::systemFont(10.5));
        colour(said, summary.outside ? Theme::amber() : Paint::ink(this, Paint::Ink::secondary, 0.7));
        lines->addWidget(said);
        m_receiptsLayout->addWidget(row);
    }

    auto* note = new TextLabel(u"Liste tenue par macOS, pas devinée : c'est l'inventaire déposé par l'installeur. "
                               u"Les fichiers hors du bundle — bibliothèques partagées, agents de lancement, "
                               u"exécutables en ligne de commande — sont exactement ce qu'une désinstallation par "
                               u"glisser-déposer laisse derrière elle."_s,
                               Theme::systemFont(10.5), Paint::Ink::tertiary);
    note->setObjectName(u"receiptsNote"_s);
    note->setWordWrap(true);
    m_receiptsLayout->addWidget(note);
    m_receipts->setVisible(true);
}
