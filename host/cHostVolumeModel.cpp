#include "cHostVolumeModel.h"

namespace {
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

void cHostVolumeModel::record(const QString &operation, const QVariantList &arguments)
{
    emit called(cModelCall {cModelCall::Volume, operation, arguments});
}

void cHostVolumeModel::recordStep(const QString &operation, int direction)
{
    emit called(cModelCall {cModelCall::Volume, operation, {}, cModelCall::VolumeStep, direction});
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
    record(QStringLiteral("setVolume"), {level});
    return setLevel(m_volume, level);
}

bool cHostVolumeModel::handleVolumeBoost(bool isHID, bool volDown)
{
    record(QStringLiteral("handleVolumeBoost"), {isHID, volDown});
    return false;
}

quint32 cHostVolumeModel::getScaledVolume()
{
    return m_volume * 0xFFFFu / MaxLevel;
}

bool cHostVolumeModel::setSpeakerMute(bool mute)
{
    record(QStringLiteral("setSpeakerMute"), {mute});
    m_speakerMuted = mute;
    return true;
}

bool cHostVolumeModel::setMicMute(bool mute)
{
    record(QStringLiteral("setMicMute"), {mute});
    m_micMuted = mute;
    return true;
}

bool cHostVolumeModel::setMicGain(quint32 level)
{
    record(QStringLiteral("setMicGain"), {level});
    return setLevel(m_micGain, level);
}

bool cHostVolumeModel::setBass(quint32 level)
{
    record(QStringLiteral("setBass"), {level});
    return setLevel(m_bass, level);
}

bool cHostVolumeModel::setTreble(quint32 level)
{
    record(QStringLiteral("setTreble"), {level});
    return setLevel(m_treble, level);
}

bool cHostVolumeModel::incVolume()
{
    recordStep(QStringLiteral("incVolume"), +1);
    return setLevel(m_volume, stepUp(m_volume));
}

bool cHostVolumeModel::decVolume()
{
    recordStep(QStringLiteral("decVolume"), -1);
    return setLevel(m_volume, stepDown(m_volume));
}

bool cHostVolumeModel::incMicGain()
{
    record(QStringLiteral("incMicGain"));
    return setLevel(m_micGain, stepUp(m_micGain));
}

bool cHostVolumeModel::decMicGain()
{
    record(QStringLiteral("decMicGain"));
    return setLevel(m_micGain, stepDown(m_micGain));
}

AudioControlState::AudioControlState_t cHostVolumeModel::getControlState(AudioControl::AudioControl_t)
{
    return AudioControlState::Available;
}
