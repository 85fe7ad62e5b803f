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
    for (cSaved *saved : {&m_light, &m_notification}) {
        bool invoked = false;
        if (saved->value != 0 && !microphone.set(saved->light, saved->value, &invoked) && invoked) {
            qCWarning(lcQ71Desktop, "[microphone] %s=%d: the microphone model refuses it, left out",
                      saved->name, saved->value);
            saved->value = 0;
        }
    }
}

void cSavedMicrophone::remember(bool light, int value)
{
    (light ? m_light : m_notification).value = value;
}

void cSavedMicrophone::keep(bool light, int value)
{
    remember(light, value);
    if (!m_settings)
        return;
    const cSaved &saved = light ? m_light : m_notification;
    m_settings->setValue(keyOf(saved), value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        qCWarning(lcQ71Desktop, "cannot write config %s", qUtf8Printable(m_settings->fileName()));
}
