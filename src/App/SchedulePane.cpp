#include "App/SchedulePane.h"

#include "App/SchedulePaneViewModel.h"
#include "Core/Preferences.h"
#include "Look/NoticeBanner.h"
#include "Look/StyledButton.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace {

QCheckBox* toggle(const QString& name)
{
    auto* box = new QCheckBox;
    box->setObjectName(name);
    return box;
}

} // namespace

SchedulePane::SchedulePane(SchedulePaneViewModel& model, QWidget* parent)
    : SettingsPane(sfSymbol(u"calendar.badge.clock"), Theme::periwinkle(), u"Nettoyage périodique"_s,
                   u"Une analyse régulière, et si vous le demandez, le nettoyage qui va avec."_s, parent),
      m_model(model), m_enabled(toggle(u"scheduleToggle"_s)), m_interval(new QComboBox), m_module(new QComboBox),
      m_cleans(toggle(u"scheduleCleansToggle"_s)), m_notifies(toggle(u"notifyAfterRunToggle"_s)), m_enabledRow(nullptr),
      m_outcomeRow(nullptr), m_runNow(new StyledButton(QString(), QuietButtonStyle{}))
{
    setObjectName(u"schedulePane"_s);
    auto* banner = new NoticeBanner(
        NoticeBanner::Kind::info, u"Uniquement pendant que l'app tourne"_s,
        u"Quorvane Pro n'installe pas d'agent de lancement : rien ne s'exécute quand l'app est fermée. Gardez l'icône "
        u"de barre de menus pour que la planification ait une chance de se déclencher — ou passez par Raccourcis, "
        u"ci-dessous, qui lancera l'app pour vous."_s);
    banner->setObjectName(u"scheduleBanner"_s);
    add(banner);
    m_enabledRow = new SettingRow(u"Activer la planification"_s, QString(), m_enabled);
    add(m_enabledRow);
    addDivider();

    m_interval->setObjectName(u"intervalPicker"_s);
    for (const Preferences::Interval interval : allIntervals())
        m_interval->addItem(SchedulePaneViewModel::intervalTitle(interval));
    m_interval->setFixedWidth(150);
    add(new SettingRow(u"Fréquence"_s, u"Vérifiée toutes les cinq minutes, à la minute près."_s, m_interval));
    m_module->setObjectName(u"modulePicker"_s);
    for (const ModuleID module : SchedulePaneViewModel::offeredModules())
        m_module->addItem(title(module));
    m_module->setFixedWidth(200);
    add(new SettingRow(u"Module"_s, u"Seuls les modules qui ne suppriment que du régénérable sont proposés."_s,
                       m_module));
    add(new SettingRow(u"Nettoyer, pas seulement analyser"_s,
                       u"Ne retire que ce que l'analyse coche d'elle-même : le sensible reste décoché et n'est jamais "
                       u"emporté sans relecture. Tout part à la corbeille et reste annulable depuis l'historique."_s,
                       m_cleans));
    addDivider();

    m_outcomeRow = new SettingRow(u"Notifier le résultat"_s, QString(), m_notifies);
    add(m_outcomeRow);
    auto* runLine = new QWidget;
    auto* run = new QHBoxLayout(runLine);
    run->setContentsMargins(0, 0, 0, 0);
    run->addStretch(1);
    m_runNow->setObjectName(u"runNowButton"_s);
    run->addWidget(m_runNow);
    add(runLine);
    addDivider();

    auto* openShortcuts = new StyledButton(u"Ouvrir Raccourcis"_s, QuietButtonStyle{});
    openShortcuts->setObjectName(u"openShortcutsButton"_s);
    add(new SettingRow(u"Déclencher depuis Raccourcis"_s,
                       u"L'app expose quatre actions — Analyser, Diagnostiquer le Mac, Espace disque libre, Ouvrir une "
                       u"catégorie. Une Automatisation hebdomadaire les lance même app fermée, et aucune ne supprime : "
                       u"elles mesurent et rendent un nombre."_s,
                       openShortcuts));

    // Only what the user does writes: refresh() moves the controls with their signals blocked.
    connect(m_enabled, &QCheckBox::toggled, this, [this](bool on) { m_model.setScheduleEnabled(on); });
    connect(m_interval, &QComboBox::activated, this, [this](int index) { m_model.chooseInterval(index); });
    connect(m_module, &QComboBox::activated, this, [this](int index) { m_model.chooseModule(index); });
    connect(m_cleans, &QCheckBox::toggled, this, [this](bool on) { m_model.setScheduleCleans(on); });
    connect(m_notifies, &QCheckBox::toggled, this, [this](bool on) { m_model.setNotifiesAfterScheduledRun(on); });
    connect(m_runNow, &QAbstractButton::clicked, this, [this] { m_model.runNow(); });
    connect(openShortcuts, &QAbstractButton::clicked, this, [this] { m_model.openShortcuts(); });
    connect(&m_model, &SchedulePaneViewModel::changed, this, &SchedulePane::refresh);
    refresh();
}

void SchedulePane::refresh()
{
    {
        const QSignalBlocker enabled(m_enabled);
        const QSignalBlocker interval(m_interval);
        const QSignalBlocker module(m_module);
        const QSignalBlocker cleans(m_cleans);
        const QSignalBlocker notifies(m_notifies);
        m_enabled->setChecked(m_model.scheduleEnabled());
        m_interval->setCurrentIndex(m_model.intervalIndex());
        m_module->setCurrentIndex(m_model.moduleIndex());
        // A module the picker does not offer still runs: the box names it rather than standing empty.
        m_module->setPlaceholderText(m_model.moduleIndex() < 0 ? m_model.moduleTitle() : QString());
        m_cleans->setChecked(m_model.scheduleCleans());
        m_notifies->setChecked(m_model.notifiesAfterScheduledRun());
    }
    m_enabledRow->setDetail(m_model.nextRunDetail());
    m_outcomeRow->setDetail(m_model.outcomeDetail());
    m_runNow->setText(m_model.runNowTitle());
    m_runNow->setEnabled(m_model.canRunNow());
    m_runNow->updateGeometry();
}

void SchedulePane::showEvent(QShowEvent* event)
{
    SettingsPane::showEvent(event);
    refresh();
}
