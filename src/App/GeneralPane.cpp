#include "App/GeneralPane.h"

#include "App/GeneralPaneViewModel.h"
#include "Look/NoticeBanner.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QSlider>

using namespace Qt::StringLiterals;

namespace {

QCheckBox* toggle(const QString& name)
{
    auto* box = new QCheckBox;
    box->setObjectName(name);
    return box;
}

} // namespace

GeneralPane::GeneralPane(GeneralPaneViewModel& model, QWidget* parent)
    : SettingsPane(sfSymbol(u"gearshape"), Theme::indigo(), u"Comportement de l'app"_s,
                   u"Présence dans la barre de menus et alertes de remplissage du disque."_s, parent),
      m_model(model), m_menuBarItem(toggle(u"menuBarItemToggle"_s)), m_snapshot(toggle(u"snapshotToggle"_s)),
      m_diskPressure(toggle(u"diskPressureToggle"_s)), m_slider(new QSlider(Qt::Horizontal)), m_thresholdRow(nullptr),
      m_banner(nullptr)
{
    setObjectName(u"generalPane"_s);
    add(new SettingRow(u"Afficher l'icône dans la barre de menus"_s,
                       u"L'état du disque et une analyse à portée de clic, fenêtre fermée."_s, m_menuBarItem));
    addDivider();
    add(new SettingRow(u"Filet de sécurité avant chaque nettoyage"_s,
                       u"Un instantané APFS est pris juste avant de supprimer. Il n'occupe aucune place tant que rien "
                       u"ne change et permet de remettre en place même ce qui n'est pas passé par la corbeille. Le "
                       u"broyeur en est exclu : son travail est de rendre irrécupérable."_s,
                       m_snapshot));
    addDivider();
    add(new SettingRow(u"Prévenir quand le disque se remplit"_s,
                       u"Une seule notification par franchissement — le seuil doit redescendre de cinq points avant "
                       u"qu'une autre puisse partir."_s,
                       m_diskPressure));
    m_slider->setObjectName(u"thresholdSlider"_s);
    m_slider->setRange(GeneralPaneViewModel::sliderMinimum, GeneralPaneViewModel::sliderMaximum);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);
    m_slider->setFixedWidth(150);
    m_thresholdRow = new SettingRow(u"Seuil d'alerte"_s, QString(), m_slider);
    m_thresholdRow->setObjectName(u"thresholdRow"_s);
    add(m_thresholdRow);
    m_banner = new NoticeBanner(
        NoticeBanner::Kind::warning, u"Notifications indisponibles"_s,
        u"L'app ne tourne pas depuis un bundle installé — les notifications système ne peuvent pas être délivrées."_s);
    m_banner->setObjectName(u"notificationsBanner"_s);
    add(m_banner);

    // Only what the user does writes: refresh() moves the controls with their signals blocked.
    connect(m_menuBarItem, &QCheckBox::toggled, this, [this](bool on) { m_model.setShowsMenuBarItem(on); });
    connect(m_snapshot, &QCheckBox::toggled, this, [this](bool on) { m_model.setTakesSnapshotBeforeCleaning(on); });
    connect(m_diskPressure, &QCheckBox::toggled, this, [this](bool on) { m_model.setNotifiesOnDiskPressure(on); });
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) { m_model.moveSlider(value); });
    connect(&m_model, &GeneralPaneViewModel::changed, this, &GeneralPane::refresh);
    refresh();
}

void GeneralPane::refresh()
{
    {
        const QSignalBlocker menuBarItem(m_menuBarItem);
        const QSignalBlocker snapshot(m_snapshot);
        const QSignalBlocker diskPressure(m_diskPressure);
        const QSignalBlocker slider(m_slider);
        m_menuBarItem->setChecked(m_model.showsMenuBarItem());
        m_snapshot->setChecked(m_model.takesSnapshotBeforeCleaning());
        m_diskPressure->setChecked(m_model.notifiesOnDiskPressure());
        m_slider->setValue(m_model.sliderValue());
    }
    m_thresholdRow->setDetail(m_model.thresholdDetail());
    m_thresholdRow->setVisible(m_model.showsThresholdRow());
    m_banner->setVisible(m_model.showsUnavailableBanner());
}
