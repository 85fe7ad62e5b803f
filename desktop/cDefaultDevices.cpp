#include "cDefaultDevices.h"

#include <utility>

namespace {

const cSoundServerState::Kind g_kinds[] = {cSoundServerState::Sink, cSoundServerState::Source};

} // namespace

QVector<cDefaultDevices::cChange> cDefaultDevices::plug(const cSoundCard &card)
{
    for (const cHeadset &headset : std::as_const(m_headsets))
        if (headset.card == card)
            return {};
    m_headsets.append({card, {}});
    // Its devices may be on the server already.
    return observe(cSoundServerState(m_state));
}

QVector<cDefaultDevices::cChange> cDefaultDevices::unplug(const cSoundCard &card)
{
    QVector<cChange> changes;
    for (int i = 0; i < m_headsets.size(); ++i) {
        if (!(m_headsets.at(i).card == card))
            continue;
        for (cSoundServerState::Kind kind : g_kinds)
            if (const std::optional<cChange> change = giveBack(m_headsets.at(i), kind))
                changes.append(*change);
        m_headsets.removeAt(i);
        break;
    }
    return changes;
}

QVector<cDefaultDevices::cChange> cDefaultDevices::observe(const cSoundServerState &state)
{
    const cSoundServerState before = m_state;
    m_state = state;
    QVector<cChange> changes;
    for (cHeadset &headset : m_headsets) {
        for (cSoundServerState::Kind kind : g_kinds) {
            const std::optional<cChange> change
                = headset.taken[kind] ? follow(headset, kind) : take(headset, kind, before);
            if (change)
                changes.append(*change);
        }
    }
    return changes;
}

std::optional<cDefaultDevices::cChange> cDefaultDevices::take(cHeadset &headset, cSoundServerState::Kind kind,
                                                              const cSoundServerState &before)
{
    for (const cSoundDevice &device : m_state.devicesOf(kind)) {
        if (!headset.card.matches(device.sysfsPath, device.busPath))
            continue;
        const QString &current = m_state.defaultOf(kind);
        // A server may make a device that appears its default on its own (PipeWire does when no
        // default was chosen): the one before that is the one to give back.
        const QString &earlier = before.defaultOf(kind);
        cTaken taken;
        taken.ours = device.name;
        taken.previous = current == device.name && !earlier.isEmpty() ? earlier : current;
        taken.confirmed = current == device.name;
        headset.taken[kind] = taken;
        if (taken.confirmed)
            return std::nullopt;
        return cChange {cChange::Take, kind, device.name, headset.card};
    }
    return std::nullopt;
}

std::optional<cDefaultDevices::cChange> cDefaultDevices::follow(cHeadset &headset,
                                                                cSoundServerState::Kind kind) const
{
    cTaken &taken = *headset.taken[kind];
    const QString &current = m_state.defaultOf(kind);
    if (current == taken.ours)
        taken.confirmed = true;
    // Another default while ours is still there is the user's choice; with ours gone, it is only
    // the server's stand-in.
    else if (taken.confirmed && !taken.userChanged && m_state.has(kind, taken.ours)) {
        taken.userChanged = true;
        return cChange {cChange::LeaveToUser, kind, current, headset.card};
    }
    return std::nullopt;
}

std::optional<cDefaultDevices::cChange> cDefaultDevices::giveBack(const cHeadset &headset,
                                                                  cSoundServerState::Kind kind) const
{
    const std::optional<cTaken> &taken = headset.taken[kind];
    if (!taken || !taken->confirmed || taken->userChanged || taken->previous.isEmpty()
        || taken->previous == taken->ours || !m_state.has(kind, taken->previous)
        || m_state.defaultOf(kind) == taken->previous)
        return std::nullopt;
    // A default the user chose after the last thing the server told is theirs as well.
    if (m_state.defaultOf(kind) != taken->ours && m_state.has(kind, taken->ours))
        return std::nullopt;
    return cChange {cChange::GiveBack, kind, taken->previous, headset.card};
}
