#include "cSavedMicrophone.h"

#include "DesktopLog.h"
#include "cMicrophoneClient.h"

#include <QSettings>

cSavedMicrophone::cSavedMicrophone(QSettings *settings)
    : m_settings(settings)
{
    read(&m_light);
    read(&m_notification);
}

QString cSavedMicrophone::keyOf(const cSaved &saved)
{
    return QStringLiteral("microphone/") + QLatin1String(saved.name);
}

void cSavedMicrophone::read(cSaved *saved)
{
    const QString key = keyOf(*saved);
    if (!m_settings || !m_settings->contains(key))
        return;
    const QString text = m_settings->value(key).toString();
    bool number = false;
    const int value = text.toInt(&number);
    // 0 is no setting of either kind, and would read as none here.
    if (number && value != 0)
        saved->value = value;
    else
        qCWarning(lcQ71Desktop, "[microphone] %s=%s: not a setting, left out", saved->name,
                  qUtf8Printable(text));
}

void cSavedMicrophone::applyTo(const cAbstractDevicePtr &device)
{
    const cMicrophoneClient microphone(device);
    if (!microphone.isValid())
        return;
    bool invoked = false;
    if (m_light.value != 0 && !microphone.setLightConfig(MicLight::MicLight_t(m_light.value), &invoked)
        && invoked) {
        qCWarning(lcQ71Desktop, "[microphone] light=%d: the microphone model refuses it, left out",
                  m_light.value);
        m_light.value = 0;
    }
    invoked = false;
    if (m_notification.value != 0
        && !microphone.setNotificationConfig(MicMuteNotification::MicMuteNotification_t(m_notification.value),
                                             &invoked)
        && invoked) {
        qCWarning(lcQ71Desktop, "[microphone] notification=%d: the microphone model refuses it, left out",
                  m_notification.value);
        m_notification.value = 0;
    }
}

void cSavedMicrophone::remember(bool light, int value)
{
    if (!m_settings)
        return;
    cSaved &saved = light ? m_light : m_notification;
    saved.value = value;
    m_settings->setValue(keyOf(saved), value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        qCWarning(lcQ71Desktop, "cannot write config %s", qUtf8Printable(m_settings->fileName()));
}
