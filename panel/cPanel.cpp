#include "cPanel.h"

#include "cCommandsEditor.h"
#include "cHeadsetModel.h"
#include "cHeadsetService.h"
#include "cNotifier.h"
#include "cPanelSettings.h"
#include "cPanelTray.h"
#include "cPanelWindow.h"

#include <QSystemTrayIcon>

// The icons are compiled into the static library; its resources are registered by hand, for the
// linker keeps nothing of a static library that nothing names. (Q_INIT_RESOURCE declares the
// function it calls, which must be at file scope.)
static void initResources()
{
    Q_INIT_RESOURCE(icons);
}

cPanel::cPanel(const QDBusConnection &bus, const QString &configPath, QObject *parent)
    : QObject((initResources(), parent))
    , m_settings(new cPanelSettings(configPath))
    , m_service(new cHeadsetService(bus, this))
    , m_model(new cHeadsetModel(m_service, this))
    , m_notifier(new cNotifier(bus, m_model, this))
    , m_window(new cPanelWindow(m_service, m_model, m_settings.data()))
{
    connect(m_window->commandsEditor(), &cCommandsEditor::saved, this,
            [this] { m_notifier->setEnabled(m_settings->notificationsEnabled()); });
}

cPanel::~cPanel() = default;

void cPanel::start(cPanelOptions::Window window, QString *error)
{
    if (!m_settings->load(error))
        m_window->commandsEditor()->setStatus(*error);
    m_window->commandsEditor()->showSettings();
    m_notifier->setEnabled(m_settings->notificationsEnabled());
    m_service->start();
    if (window != cPanelOptions::Window::Only) {
        m_tray = new cPanelTray(m_service, m_model, this);
        connect(m_tray, &cPanelTray::settingsRequested, this, &cPanel::showWindow);
        connect(m_tray, &cPanelTray::quitRequested, this, &cPanel::quitRequested);
        m_tray->show();
    }
    if (window != cPanelOptions::Window::Hide || !QSystemTrayIcon::isSystemTrayAvailable())
        showWindow();
}

void cPanel::showWindow()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
