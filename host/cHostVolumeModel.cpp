#include "cHostVolumeModel.h"

namespace {
QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

quint32 stepUp(quint32 level)
{
    return qMin(level + cHostVolumeModel::VolumeStep, cHostVolumeModel::MaxLevel);
}

quint32 stepDown(quint32 level)
{
    return level > cHostVolumeModel::VolumeStep ? level - cHostVolumeModel::VolumeStep : 0;
}
} // namespace

cHostVolumeModel::cHostVolumeModel() = default;

void cHostVolumeModel::record(const QString &call)
{
    m_calls.append(call);
    emit called(call);
}

// Levels run from 0 to MaxLevel; an operation reports whether the level changed.
bool cHostVolumeModel::setLevel(quint32 &level, quint32 value)
{
    if (value > MaxLevel || value == level)
        return false;
    level = value;
    return true;
}

bool cHostVolumeModel::setVolume(quint32 level)
{
    record(QStringLiteral("setVolume(%1)").arg(level));
    return setLevel(m_volume, level);
}

bool cHostVolumeModel::handleVolumeBoost(bool isHID, bool volDown)
{
    record(QStringLiteral("handleVolumeBoost(%1,%2)").arg(boolText(isHID), boolText(volDown)));
    return false;
}

quint32 cHostVolumeModel::getScaledVolume()
{
    return m_volume * 0xFFFFu / MaxLevel;
}

bool cHostVolumeModel::setSpeakerMute(bool mute)
{
    record(QStringLiteral("setSpeakerMute(%1)").arg(boolText(mute)));
    m_speakerMuted = mute;
    return true;
}

bool cHostVolumeModel::setMicMute(bool mute)
{
    record(QStringLiteral("setMicMute(%1)").arg(boolText(mute)));
    m_micMuted = mute;
    return true;
}

bool cHostVolumeModel::setMicGain(quint32 level)
{
    record(QStringLiteral("setMicGain(%1)").arg(level));
    return setLevel(m_micGain, level);
}

bool cHostVolumeModel::setBass(quint32 level)
{
    record(QStringLiteral("setBass(%1)").arg(level));
    return setLevel(m_bass, level);
}

bool cHostVolumeModel::setTreble(quint32 level)
{
    record(QStringLiteral("setTreble(%1)").arg(level));
    return setLevel(m_treble, level);
}

bool cHostVolumeModel::incVolume()
{
    record(QStringLiteral("incVolume()"));
    return setLevel(m_volume, stepUp(m_volume));
}

bool cHostVolumeModel::decVolume()
{
    record(QStringLiteral("decVolume()"));
    return setLevel(m_volume, stepDown(m_volume));
}

bool cHostVolumeModel::incMicGain()
{
    record(QStringLiteral("incMicGain()"));
    return setLevel(m_micGain, stepUp(m_micGain));
}

bool cHostVolumeModel::decMicGain()
{
    record(QStringLiteral("decMicGain()"));
    return setLevel(m_micGain, stepDown(m_micGain));
}

AudioControlState::AudioControlState_t cHostVolumeModel::getControlState(AudioControl::AudioControl_t)
{
    return AudioControlState::Available;
}
