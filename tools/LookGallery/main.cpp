// qp_look_gallery OUTPUT.png: draws every shared component in its states under the offscreen platform and saves
// the picture, once the entrance animations have run.
#include "GalleryLook.h"
#include "Look/Capsule.h"
#include "Look/CardModifier.h"
#include "Look/Divider.h"
#include "Look/ElidedLabel.h"
#include "Look/EmptyArt.h"
#include "Look/EmptyStateView.h"
#include "Look/GaugeRing.h"
#include "Look/HaloArt.h"
#include "Look/IconTile.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/Paint.h"
#include "Look/SoftIconTile.h"
#include "Look/Sparkle.h"
#include "Look/SpinnerRing.h"
#include "Look/StatTile.h"
#include "Look/StyledButton.h"
#include "Look/SuccessArt.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Look/TriStateBox.h"
#include "Platform/Symbols.h"

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A Sparkle has no widget of its own: the halo paints it. This shows it alone.
class SparkleSample final : public QWidget
{
public:
    SparkleSample() { setFixedSize(60, 40); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(Sparkle::path(rect()), Theme::violet());
    }
};

QWidget* section(const QString& title, QWidget* body)
{
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new TextLabel(title, Theme::captionFont(), Paint::Ink::secondary));
    column->addWidget(body);
    return box;
}

QWidget* row(std::initializer_list<QWidget*> widgets, int spacing = 16)
{
    auto* line = new QWidget;
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* widget : widgets)
        layout->addWidget(widget, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return line;
}

QWidget* framed(QWidget* widget, int width, int height)
{
    widget->setFixedSize(width, height);
    return widget;
}

QWidget* gauge(double fraction, const QLinearGradient& gradient, const QString& caption)
{
    auto* label = new TextLabel(caption, Theme::systemFont(15, QFont::DemiBold, Theme::Design::rounded));
    return framed(new GaugeRing(fraction, gradient, 10, label), 110, 110);
}

QWidget* button(const QString& name, const QString& title, const StyledButton::Style& style, bool enabled = true)
{
    auto* b = new StyledButton(title, style);
    b->setObjectName(name);
    b->setEnabled(enabled);
    return b;
}

QWidget* symbolSheet()
{
    auto* sheet = new QWidget;
    auto* grid = new QGridLayout(sheet);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    const QStringList names = Platform::knownSymbols();
    constexpr int columns = 5;
    for (int i = 0; i < names.size(); ++i) {
        auto* cell = row({new SymbolView(names[i], 18, Theme::indigo()),
                          new TextLabel(names[i], Theme::systemFont(11), Paint::Ink::secondary)},
                         6);
        grid->addWidget(cell, i / columns, i % columns);
    }
    return sheet;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qp_look_gallery OUTPUT.png\n");
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (!prepareGalleryLook("qp_look_gallery"))
        return 1;

    QWidget window;
    window.setObjectName(u"lookGallery"_s);
    auto* page = new QVBoxLayout(&window);
    page->setContentsMargins(26, 26, 26, 26);
    page->setSpacing(22);

    auto* trailing = row({button(u"selectAllButton"_s, u"Tout cocher"_s, QuietButtonStyle{}),
                          button(u"deselectAllButton"_s, u"Tout décocher"_s, QuietButtonStyle{})},
                         8);
    page->addWidget(section(u"En-tête de module"_s, new ModuleHeader(ModuleID::largeOldFiles, trailing)));

    auto* banners = new QWidget;
    auto* bannerColumn = new QVBoxLayout(banners);
    bannerColumn->setContentsMargins(0, 0, 0, 0);
    bannerColumn->setSpacing(10);
    bannerColumn->addWidget(
        new NoticeBanner(NoticeBanner::Kind::warning, u"Accès complet au disque requis"_s,
                         u"Sans cette autorisation, ce module ne verra qu'une partie de vos fichiers."_s,
                         u"Ouvrir les réglages"_s, [] {}));
    bannerColumn->addWidget(new NoticeBanner(
        NoticeBanner::Kind::info, u"Instantané pris avant le nettoyage"_s,
        u"Les éléments supprimés restent récupérables depuis l'historique — « Remettre en place » les rend "
        u"à leur emplacement d'origine, sans rien écraser de ce qui s'y trouve aujourd'hui."_s,
        u"Sans action"_s, {}));
    page->addWidget(section(u"Bandeaux"_s, banners));

    page->addWidget(section(
        u"Anneaux : vide, 0,001, 0,0011, 45 %, 80 %, 150 % et le tournant"_s,
        row({gauge(0, Theme::accentGradient(), u"0 %"_s), gauge(0.001, Theme::accentGradient(), u"0 %"_s),
             gauge(0.0011, Theme::accentGradient(), u"0 %"_s), gauge(0.45, Theme::gaugeGradient(0.45), u"45 %"_s),
             gauge(0.8, Theme::gaugeGradient(0.8), u"80 %"_s), gauge(1.5, Theme::gaugeGradient(1.5), u"100 %"_s),
             framed(new GaugeRing(0.62, Theme::tintGradient(Theme::coral()), 12,
                                  new IconTile(sfSymbol(u"trash"), Theme::coral(), 62, true)),
                    150, 150),
             framed(new SpinnerRing(10), 110, 110)})));

    page->addWidget(
        section(u"Boutons et cases"_s,
                row({button(u"scanButton"_s, u"Analyser"_s, PrimaryButtonStyle{}),
                     button(u"idleScanButton"_s, u"Analyser"_s,
                            PrimaryButtonStyle{Theme::tintGradient(Theme::tint(ModuleID::privacy)), true}),
                     button(u"cleanButton"_s, u"Nettoyer"_s, PrimaryButtonStyle{Theme::dangerGradient(), false}, false),
                     button(u"cancelButton"_s, u"Arrêter"_s, QuietButtonStyle{}),
                     new TriStateBox(true, Theme::indigo()), new TriStateBox(std::nullopt, Theme::indigo()),
                     new TriStateBox(false, Theme::indigo()), new TriStateBox(true, Theme::amber())})));

    auto* tiles = new QWidget;
    auto* tileGrid = new QHBoxLayout(tiles);
    tileGrid->setContentsMargins(0, 0, 0, 0);
    tileGrid->setSpacing(12);
    tileGrid->addWidget(new StatTile(
        {sfSymbol(u"internaldrive"), u"Stockage"_s, u"212,4 Go"_s, u"libres sur 494,4 Go"_s, Theme::indigo(), 0.57}));
    tileGrid->addWidget(
        new StatTile({sfSymbol(u"memorychip"), u"Mémoire"_s, u"0 %"_s, u"0 Ko sur 0 Ko"_s, Theme::violet(), 0.0}));
    tileGrid->addWidget(
        new StatTile({sfSymbol(u"cpu"), u"Processeur"_s, u"100 %"_s, u"Mac14,2"_s, Theme::cyan(), 2.0}));
    tileGrid->addWidget(new StatTile(
        {sfSymbol(u"sparkles"), u"Depuis l'ouverture"_s, u"1,2 Go"_s, std::nullopt, Theme::mint(), std::nullopt}));
    page->addWidget(section(u"Tuiles de chiffres : 57 %, 0, 2, sans barre ni détail"_s, tiles));

    page->addWidget(
        section(u"Illustrations"_s,
                row({new IconTile(sfSymbol(u"gearshape"), Theme::slate(), 38, true),
                     new IconTile(sfSymbol(u"doc.on.doc"), Theme::orchid(), 26, false),
                     new SoftIconTile(sfSymbol(u"memorychip"), Theme::violet(), 20),
                     new SoftIconTile(sfSymbol(u"bolt"), Theme::amber(), 38), new SparkleSample,
                     new EmptyArt(sfSymbol(u"folder.badge.questionmark"), Theme::slate(), 96),
                     new SuccessArt(132, Theme::mint()), new HaloArt(sfSymbol(u"sparkles"), Theme::indigo(), 176, true),
                     new HaloArt(symbol(ModuleID::shredder), Theme::tint(ModuleID::shredder), 120, false)})));

    auto* empty = new EmptyStateView(sfSymbol(u"checkmark.seal"), u"Rien à signaler"_s,
                                     u"Aucun fichier volumineux ou ancien n'a été trouvé dans votre dossier "
                                     u"personnel. Revenez dans quelques semaines…"_s,
                                     Theme::tint(ModuleID::largeOldFiles));
    auto* cards =
        row({framed(card(empty, 20), 520, 330),
             framed(card(new TextLabel(u"Carte sans marge intérieure"_s, Theme::systemFont(13)), 0), 220, 60)});
    page->addWidget(section(u"État vide et cartes"_s, cards));

    Capsule::Style tinted;
    tinted.tint = Theme::indigo();
    tinted.fillOpacity = 0.15;
    auto* labels = new QWidget;
    auto* labelColumn = new QVBoxLayout(labels);
    labelColumn->setContentsMargins(0, 0, 0, 0);
    labelColumn->setSpacing(8);
    labelColumn->addWidget(
        row({framed(new ElidedLabel(u"~/Library/Caches/com.lumenlabs.atelierphoto/aperçus"_s, Theme::systemFont(12.5)),
                    220, 18),
             new Capsule(u"Utilisateur"_s), new Capsule(u"App Store"_s, tinted)}));
    labelColumn->addWidget(framed(new Divider(16), 520, 1));
    page->addWidget(section(u"Libellé coupé au milieu, capsules et séparateur en retrait"_s, labels));

    page->addWidget(section(u"Symboles"_s, symbolSheet()));

    window.resize(window.sizeHint().expandedTo(QSize(1280, 0)));
    window.show();
    // Let the entrance animations (halo, success, gauges) play out before the picture is taken.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1500)
        QApplication::processEvents(QEventLoop::AllEvents, 20);

    const QImage picture = window.grab().toImage();
    if (!picture.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "qp_look_gallery: could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
