#include "cSoundCard.h"

#include "IAudioRenderTransport.h"
#include "cAudioDeviceMgrService.h"
#include "cHostAudioDevice.h"

#include <QFile>
#include <QRegularExpression>

#ifdef Q71_HAVE_UDEV
#include <libudev.h>
#endif

namespace {

// udev's ID_PATH of the card at `sysfsPath`; empty without libudev or without one.
QString udevBusPath(const QString &sysfsPath)
{
#ifdef Q71_HAVE_UDEV
    udev *context = udev_new();
    if (!context)
        return QString();
    QString busPath;
    const QByteArray syspath = QFile::encodeName(QStringLiteral("/sys") + sysfsPath);
    if (udev_device *card = udev_device_new_from_syspath(context, syspath.constData())) {
        busPath = QString::fromLocal8Bit(udev_device_get_property_value(card, "ID_PATH"));
        udev_device_unref(card);
    }
    udev_unref(context);
    return busPath;
#else
    Q_UNUSED(sysfsPath)
    return QString();
#endif
}

} // namespace

cSoundCard::cSoundCard(const QString &sysfsPath, const QString &busPath)
    : m_sysfsPath(sysfsPath)
    , m_busPath(busPath)
{ }

cSoundCard cSoundCard::fromPcm(const QString &pcmSysfsPath)
{
    // The whole card component, so that card1 is never taken for card10.
    static const QRegularExpression pcm(
        QStringLiteral("^/sys(/devices/.+/sound/card\\d+)/pcmC\\d+D\\d+[pc]$"));
    const QString card = pcm.match(pcmSysfsPath).captured(1);
    if (card.isEmpty())
        return cSoundCard();
    return cSoundCard(card, udevBusPath(card));
}

bool cSoundCard::matches(const QString &sysfsPath, const QString &busPath) const
{
    if (!isValid())
        return false;
    if (!sysfsPath.isEmpty())
        return sysfsPath == m_sysfsPath;
    return !busPath.isEmpty()
        && ((!m_busPath.isEmpty() && busPath == m_busPath)
            || busPath == QStringLiteral("/sys") + m_sysfsPath);
}

cSoundCard cSoundCard::ofAudioDevice(cAudioDeviceMgrService &audio, const QString &uid)
{
    const QSharedPointer<cHostAudioDevice> device = cAudioDeviceMgrService::hostDevice(audio.getDevice(uid));
    if (!device || !device->renderTransport())
        return cSoundCard();
    return fromPcm(device->renderTransport()->info()["uid"].toString());
}
