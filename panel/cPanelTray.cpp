#include "cPanelTray.h"

#include "Types.h"
#include "cHeadset.h"
#include "cHeadsetModel.h"
#include "cHeadsetService.h"
#include "cPanelWindow.h"

#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

cPanelTray::cPanelTray(cHeadsetService *service, cHeadsetModel *model, QObject *parent)
    : QObject(parent)
    , m_service(service)
    , m_model(model)
    , m_menu(new QMenu)
    , m_icon(new QSystemTrayIcon(this))
{
    m_icon->setContextMenu(m_menu);
    connect(model, &cHeadsetModel::headsetsChanged, this, &cPanelTray::rebuild);
    connect(service, &cHeadsetService::listed, this, &cPanelTray::rebuild);
    connect(service, &cHeadsetService::stopped, this, &cPanelTray::rebuild);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit settingsRequested();
    });
    rebuild();
}

cPanelTray::~cPanelTray()
{
    // A context menu has no parent: the tray icon only points at it.
    delete m_menu;
}

void cPanelTray::show()
{
    m_icon->show();
}

QString cPanelTray::toolTip() const
{
    if (!m_service->isRunning())
        return cPanelWindow::notRunningText();
    const QList<cHeadset *> headsets = m_model->headsets();
    if (headsets.isEmpty())
        return tr("No Q71 headset");
    QStringList lines;
    for (const cHeadset *headset : headsets) {
        lines << (headset->volume() < 0
                      ? cHeadsetModel::title(headset)
                      : tr("%1: volume %2 %").arg(cHeadsetModel::title(headset)).arg(headset->volume()));
    }
    return lines.join(QLatin1Char('\n'));
}

void cPanelTray::rebuild()
{
    const bool present = !m_model->headsets().isEmpty();
    m_icon->setIcon(QIcon(present ? QStringLiteral(":/icons/q71-panel-headset.svg")
                                  : QStringLiteral(":/icons/q71-panel-no-headset.svg")));
    m_icon->setToolTip(toolTip());
    m_menu->clear();
    delete m_groups;
    m_groups = new QObject(this);
    for (cHeadset *headset : m_model->headsets())
        addHeadset(headset);
    m_menu->addAction(tr("&Settings..."), this, &cPanelTray::settingsRequested);
    m_menu->addAction(tr("&Quit"), this, &cPanelTray::quitRequested);
}

void cPanelTray::addHeadset(cHeadset *headset)
{
    // A disabled item rather than a section: not every style shows a section's text.
    m_menu->addAction(cHeadsetModel::title(headset))->setEnabled(false);
    // The settings the headset's microphone knows, from the enumerations the host and the plugin
    // share; the service still decides, and refuses what the model does not take.
    addChoices(headset, cHeadset::micLightProperty(), tr("Light %1"), headset->micLight(),
               MicLight::Setting3);
    m_menu->addSeparator();
    addChoices(headset, cHeadset::micNotificationProperty(), tr("Mute notification %1"),
               headset->micNotification(), MicMuteNotification::Setting2);
    m_menu->addSeparator();
}

void cPanelTray::addChoices(cHeadset *headset, const QString &property, const QString &label, uint current,
                            uint count)
{
    auto *group = new QActionGroup(m_groups);
    for (uint value = 1; value <= count; ++value) {
        QAction *action = m_menu->addAction(label.arg(value));
        action->setCheckable(true);
        action->setChecked(value == current);
        group->addAction(action);
        connect(action, &QAction::triggered, headset,
                [headset, property, value] { headset->write(property, value); });
    }
}
