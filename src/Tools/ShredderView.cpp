#include "Tools/ShredderView.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Look/ElidedLabel.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/StyledButton.h"
#include "Look/Theme.h"
#include "Platform/OpenPanel.h"
#include "Platform/Workspace.h"
#include "Scanners/ModuleRegistry.h"
#include "Tools/ShredderModel.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

QString sizeText(qint64 bytes)
{
    return bytes > 0 ? FileUtils::byteFormatter().string(bytes) : u"0 Ko"_s;
}

} // namespace

namespace Shredder {

Alert confirmationTexts(int count, qint64 bytes, int passes)
{
    return {u"Broyer "_s + QString::number(count) + u' ' + (count < 2 ? u"élément"_s : u"éléments"_s) + u" ?"_s,
            sizeText(bytes) + u" seront écrasés en "_s + QString::number(passes) + u" passe"_s +
                (passes >= 2 ? u"s"_s : QString()) + u" puis supprimés définitivement."_s};
}

} // namespace Shredder

ShredderView::ShredderView(ShredderModel& model, Platform::Workspace& workspace, Platform::OpenPanel& openPanel,
                           Shredder::Confirm confirm, QWidget* parent)
    : QWidget(parent), m_model(&model), m_workspace(workspace), m_openPanel(openPanel), m_confirm(std::move(confirm))
{
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(26, 26, 26, 26);
    layout->setSpacing(16);

    m_clear = new StyledButton(u"Vider la liste"_s, QuietButtonStyle{});
    m_clear->setObjectName(u"clearButton"_s);
    connect(m_clear, &QAbstractButton::clicked, this, [this] {
        if (m_model)
            m_model->clear();
    });
    layout->addWidget(new ModuleHeader(ModuleID::shredder, m_clear));

    layout->addWidget(new NoticeBanner(
        NoticeBanner::Kind::warning, u"Suppression irréversible"_s,
        u"Le contenu est réécrit puis délié — ni corbeille, ni annulation. Sur SSD, le wear-leveling peut laisser "
        u"des fragments physiques : c'est une barrière contre la récupération logicielle, pas une garantie face à "
        u"une analyse forensique du contrôleur."_s));

    m_dropZone = new QWidget;
    auto* zone = new QVBoxLayout(m_dropZone);
    zone->setContentsMargins(0, 34, 0, 34);
    zone->setSpacing(10);
    m_dropIcon = new QLabel;
    m_dropIcon->setAlignment(Qt::AlignCenter);
    m_dropText = new QLabel;
    m_dropText->setAlignment(Qt::AlignCenter);
    m_progress = new QProgressBar;
    m_progress->setRange(0, 1000);
    m_status = new QLabel;
    m_status->setAlignment(Qt::AlignCenter);
    m_browse = new StyledButton(u"Parcourir…"_s, QuietButtonStyle{});
    m_browse->setObjectName(u"browseButton"_s);
    connect(m_browse, &QAbstractButton::clicked, this, &ShredderView::browse);
    zone->addWidget(m_dropIcon);
    zone->addWidget(m_dropText);
    zone->addWidget(m_progress);
    zone->addWidget(m_status);
    zone->addWidget(m_browse, 0, Qt::AlignCenter);
    layout->addWidget(m_dropZone);

    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    m_list = new QWidget;
    m_rows = new QVBoxLayout(m_list);
    m_rows->addStretch();
    scroll->setWidget(m_list);
    layout->addWidget(scroll);

    m_bar = new QWidget;
    auto* bar = new QHBoxLayout(m_bar);
    m_total = new QLabel;
    bar->addWidget(m_total);
    bar->addWidget(new QLabel(u"dans la file"_s));
    bar->addStretch();
    m_report = new QLabel;
    bar->addWidget(m_report);
    m_passes = new QComboBox;
    m_passes->setToolTip(u"Passes de réécriture"_s);
    m_passes->addItem(u"1 — rapide"_s, 1);
    m_passes->addItem(u"3 — standard"_s, 3);
    m_passes->addItem(u"7 — paranoïaque"_s, 7);
    connect(m_passes, &QComboBox::activated, this, [this](int index) {
        if (m_model)
            m_model->setPasses(m_passes->itemData(index).toInt());
    });
    bar->addWidget(m_passes);
    m_shred = new StyledButton(u"Broyer"_s, PrimaryButtonStyle{Theme::dangerGradient()});
    m_shred->setObjectName(u"shredButton"_s);
    connect(m_shred, &QAbstractButton::clicked, this, &ShredderView::requestShred);
    bar->addWidget(m_shred);
    layout->addWidget(m_bar);
    // The screen's parts keep their own heights at the top; the room left stays below them.
    layout->addStretch(1);

    connect(m_model, &ShredderModel::changed, this, &ShredderView::refresh);
    refresh();
}

void ShredderView::requestShred()
{
    if (!m_model || !m_model->canShred())
        return;
    const Shredder::Alert alert =
        Shredder::confirmationTexts(int(m_model->items().size()), m_model->totalSize(), m_model->passes());
    m_confirm(alert.title, alert.message, u"Broyer"_s, [model = m_model](bool accepted) {
        if (accepted && model)
            model->shred();
    });
}

void ShredderView::browse()
{
    m_openPanel.choose({Platform::OpenPanel::Mode::filesAndFolders, u"Ajouter"_s, QString(), QString()},
                       [model = m_model](const QStringList& chosen) {
                           if (model && !chosen.isEmpty())
                               model->add(chosen);
                       });
}

void ShredderView::dragEnterEvent(QDragEnterEvent* event)
{
    event->acceptProposedAction();
    m_targeted = event->mimeData()->hasUrls();
    refresh();
}

void ShredderView::dragLeaveEvent(QDragLeaveEvent*)
{
    m_targeted = false;
    refresh();
}

void ShredderView::dropEvent(QDropEvent* event)
{
    // Accepted whatever it carries; only local file URLs are queued, each as it comes.
    event->acceptProposedAction();
    m_targeted = false;
    if (m_model && event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile())
                m_model->add({url.toLocalFile()});
        }
    }
    refresh();
}

void ShredderView::refresh()
{
    if (!m_model)
        return;
    const bool working = m_model->isShredding();
    m_dropIcon->setText(working ? u"⌛"_s : u"⬇"_s);
    m_dropText->setText(working ? u"Broyage en cours…"_s : u"Glissez des fichiers ou des dossiers ici"_s);
    m_progress->setVisible(working);
    m_progress->setValue(int(m_model->progress() * 1000));
    m_status->setVisible(working);
    m_status->setText(m_model->status());
    m_browse->setVisible(!working);
    const QColor accent = m_targeted ? Theme::dangerGradient().stops().first().second : palette().mid().color();
    m_dropZone->setStyleSheet(u"QWidget#dropZone { border: 2px dashed %1; border-radius: 12px; }"_s.arg(accent.name()));
    m_dropZone->setObjectName(u"dropZone"_s);

    const bool queued = !m_model->items().isEmpty();
    m_clear->setVisible(queued);
    m_list->parentWidget()->parentWidget()->setVisible(queued);
    m_bar->setVisible(queued);
    while (m_rows->count() > 1) {
        QLayoutItem* item = m_rows->takeAt(0);
        delete item->widget();
        delete item;
    }
    int index = 0;
    for (const ScanItem& item : m_model->items()) {
        auto* row = new QWidget;
        auto* line = new QHBoxLayout(row);
        auto* icon = new QLabel;
        icon->setPixmap(m_workspace.icon(item.url).pixmap(24, 24));
        line->addWidget(icon);
        auto* name = new QLabel(item.name);
        name->setToolTip(FileUtils::abbreviatedPath(item.url));
        // An item the last job could not shred says why, under its name.
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        texts->addWidget(name);
        if (const std::optional<QString> reason = m_model->failureReason(item.id)) {
            auto* why = new ElidedLabel(*reason, Theme::systemFont(11));
            why->setElideMode(Qt::ElideRight);
            why->setColor(Theme::amber());
            why->setToolTip(*reason);
            why->setObjectName(u"shredFailure"_s);
            texts->addWidget(why);
        }
        line->addLayout(texts, 1);
        line->addWidget(new QLabel(m_model->isMeasuring(item.id) ? QString() : sizeText(item.size)));
        auto* remove = new QPushButton(u"✕"_s);
        remove->setAccessibleName(u"Retirer"_s);
        remove->setEnabled(!working);
        connect(remove, &QPushButton::clicked, this, [this, id = item.id] {
            if (m_model)
                m_model->remove(id);
        });
        line->addWidget(remove);
        m_rows->insertWidget(index++, row);
    }
    // The list is as tall as its rows, up to 260 points, and scrolls beyond. The rows just made are not shown
    // yet, so the layout's own hint would leave them out.
    const QMargins margins = m_rows->contentsMargins();
    int height = margins.top() + margins.bottom() + qMax(0, index - 1) * m_rows->spacing();
    for (int row = 0; row < index; ++row)
        height += m_rows->itemAt(row)->widget()->sizeHint().height();
    auto* scroll = static_cast<QScrollArea*>(m_list->parentWidget()->parentWidget());
    scroll->setFixedHeight(qMin(260, height + 2 * scroll->frameWidth()));
    m_total->setText(sizeText(m_model->totalSize()));
    m_passes->setCurrentIndex(m_passes->findData(m_model->passes()));
    m_report->setVisible(!working && m_model->shreddedCount() > 0);
    m_report->setText(QString::number(m_model->shreddedCount()) + u" broyés"_s);
    m_shred->setEnabled(m_model->canShred());
}

void registerShredder(Modules::Registry& registry, Platform::OpenPanel& openPanel, Shredder::Confirm confirm)
{
    registry.setModel(ModuleID::shredder, Modules::Lifetime::visit, [](const Modules::ModelContext& context) {
        return std::make_unique<ShredderModel>(context.services);
    });
    registry.setScreen(ModuleID::shredder, [&openPanel, confirm](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<ShredderModel*>(context.model);
        return model ? new ShredderView(*model, context.workspace, openPanel, confirm) : nullptr;
    });
}
