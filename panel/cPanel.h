#pragma once
#include "cPanelOptions.h"

#include <QDBusConnection>
#include <QObject>
#include <QScopedPointer>

class cHeadsetModel;
class cHeadsetService;
class cNotifier;
class cPanelSettings;
class cPanelTray;
class cPanelWindow;

// The panel put together: the service followed on `bus`, the model of its headsets, the window,
// the tray icon where the desktop has a tray, and the notifier, with the settings of `configPath`.
class cPanel : public QObject
{
    Q_OBJECT
public:
    cPanel(const QDBusConnection &bus, const QString &configPath, QObject *parent = nullptr);
    ~cPanel() override;

    // Reads the settings (a problem is one line in `error`, and the defaults are used), starts
    // following the service and shows what `window` asks for. Without a tray, the window is shown
    // whatever was asked, or the panel could not be reached at all.
    void start(cPanelOptions::Window window, QString *error);

    cHeadsetService *service() const { return m_service; }
    cHeadsetModel *model() const { return m_model; }
    cPanelWindow *window() const { return m_window.data(); }
    // Null when there is no tray icon (--window=only).
    cPanelTray *tray() const { return m_tray; }
    cNotifier *notifier() const { return m_notifier; }

signals:
    void quitRequested();

private:
    void showWindow();

    QScopedPointer<cPanelSettings> m_settings;
    cHeadsetService *m_service;
    cHeadsetModel *m_model;
    cNotifier *m_notifier;
    QScopedPointer<cPanelWindow> m_window;
    cPanelTray *m_tray = nullptr;
};
