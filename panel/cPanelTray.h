#pragma once
#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;
class cHeadset;
class cHeadsetModel;
class cHeadsetService;

// The tray icon: whether a headset is there (icon), which and how loud (tooltip), and a menu with,
// for each headset, its microphone light and mute notification as radio items, then "Settings..."
// and "Quit". The menu is rebuilt when the headsets change, so it never shows a stale value.
class cPanelTray : public QObject
{
    Q_OBJECT
public:
    cPanelTray(cHeadsetService *service, cHeadsetModel *model, QObject *parent = nullptr);
    ~cPanelTray() override;

    void show();
    QMenu *menu() const { return m_menu; }
    QString toolTip() const;
    QSystemTrayIcon *icon() const { return m_icon; }

signals:
    void settingsRequested();
    void quitRequested();

private:
    void rebuild();
    void addHeadset(cHeadset *headset);
    void addChoices(cHeadset *headset, const QString &property, const QString &label, uint current,
                    uint count);

    cHeadsetService *m_service;
    cHeadsetModel *m_model;
    QMenu *m_menu;
    QSystemTrayIcon *m_icon;
    // Owns the radio groups of the menu as built now; replaced with them.
    QObject *m_groups = nullptr;
};
