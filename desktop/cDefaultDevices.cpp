#include "cDefaultDevices.h"

#include <algorithm>
#include <utility>

namespace {

const cSoundServerState::Kind g_kinds[] = {cSoundServerState::Sink, cSoundServerState::Source};

} // namespace

void cDefaultDevices::plug(const cSoundCard &card)
{
    for (cHeadset &headset : m_headsets) {
        if (headset.card == card) {
            // Back before what it left behind was settled: it holds its defaults still.
            headset.left = false;
            return;
        }
    }
    m_headsets.append({card, {}});
}

void cDefaultDevices::unplug(const cSoundCard &card)
{
    for (cHeadset &headset : m_headsets)
        if (headset.card == card)
            headset.left = true;
}

QVector<cDefaultDevices::cChange> cDefaultDevices::settle()
{
    QVector<cChange> changes;
    for (int i = m_headsets.size() - 1; i >= 0; --i) {
        if (!m_headsets.at(i).left)
            continue;
        for (cSoundServerState::Kind kind : g_kinds)
            if (const std::optional<cChange> change = leave(m_headsets.at(i), kind))
                changes.append(*change);
        m_headsets.removeAt(i);
    }
    return changes;
}

bool cDefaultDevices::isSettled() const
{
    return std::none_of(m_headsets.cbegin(), m_headsets.cend(),
                        [](const cHeadset &headset) { return headset.left; });
}

QVector<cDefaultDevices::cChange> cDefaultDevices::observe(const cSoundServerState &state)
{
    const cSoundServerState before = m_state;
    m_state = state;
    QVector<cChange> changes;
    for (cHeadset &headset : m_headsets) {
        if (headset.left)
            continue;
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

std::optional<cDefaultDevices::cChange> cDefaultDevices::leave(const cHeadset &headset,
                                                               cSoundServerState::Kind kind) const
{
    const std::optional<cTaken> &taken = headset.taken[kind];
    // A choice of the user's that was told while the headset was there stays, unsaid again.
    if (!taken || taken->userChanged)
        return std::nullopt;
    const QString &current = m_state.defaultOf(kind);
    if (current == taken->previous)
        return std::nullopt;
    // Another default while ours is still there is the user's; with ours gone, only the server's
    // stand-in.
    if (!current.isEmpty() && current != taken->ours && m_state.has(kind, taken->ours))
        return cChange {cChange::LeaveToUser, kind, current, headset.card};
    if (taken->previous.isEmpty() || taken->previous == taken->ours || !m_state.has(kind, taken->previous))
        return std::nullopt;
    return cChange {cChange::GiveBack, kind, taken->previous, headset.card};
}
