#pragma once
#include "Types.h"

#include <QObject>
#include <QString>
#include <QUuid>
#include <QWidget>

// The host application itself: running it, platform device-change notices, the main widget and
// style sheet, the update wizard, a modal lock, foreground state and tray messages.
class IMainApp : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual void execute(bool launchUpdateWizard) = 0;
    Q_INVOKABLE virtual void winRegisterDeviceChange(const QUuid &classGuid) = 0;
    Q_INVOKABLE virtual Qt::HANDLE winRegisterDeviceHandleChange(Qt::HANDLE fileHandle) = 0;
    Q_INVOKABLE virtual void winUnregisterDeviceHandleChange(Qt::HANDLE changeHandle) = 0;
    Q_INVOKABLE virtual QWidget *mainWidget() = 0;
    Q_INVOKABLE virtual void loadStyleSheet() = 0;
    Q_INVOKABLE virtual void launchUpdateWizard() = 0;
    Q_INVOKABLE virtual void setModalLock(bool enable) = 0;
    Q_INVOKABLE virtual bool inForeground() = 0;
    Q_INVOKABLE virtual bool showTrayMessage(const QString &title, const QString &message,
                                             MessageIcon::MessageIcon_t icon, int msecs, int cookie)
        = 0;
    Q_INVOKABLE virtual QString foregroundApp() = 0;
};
