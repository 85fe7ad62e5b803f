#pragma once
#include "cSoundCard.h"
#include "cSoundServerState.h"

#include <QVector>

#include <optional>

// Which default sink and source the sound server should have while headsets are plugged in: a
// headset's sink and source become the defaults when they appear on the server (which may be well
// after the headset itself), and when the headset leaves, the defaults in place before come back,
// if they still exist and the user has not chosen another default in the meantime. Knows nothing of
// the server itself: it is told what the server holds and answers with the changes to make.
//
// What a headset takes, and what it gives back when it leaves (settle()), is decided on the server's
// state read after it came or left, not on what the server told before: a server may fail to tell
// a connection that its default changed.
class cDefaultDevices
{
public:
    struct cChange
    {
        enum Action {
            // The headset's device becomes the default.
            Take,
            // The default from before the headset came comes back.
            GiveBack,
            // The user chose `device` while the headset's was the default: nothing to do, now or
            // when the headset leaves.
            LeaveToUser
        };
        Action action = Take;
        cSoundServerState::Kind kind = cSoundServerState::Sink;
        QString device;
        cSoundCard card;
    };

    // A headset with `card` is there (again); what it takes is decided by the next observe(), of a
    // state the caller read after it came.
    void plug(const cSoundCard &card);
    // The headset with `card` left; what it gives back waits for settle().
    void unplug(const cSoundCard &card);
    // What the server holds now; the defaults to set, and the user's choices noticed.
    QVector<cChange> observe(const cSoundServerState &state);
    // The headsets that left, decided on the state observed last, which the caller read after they
    // left: the defaults to give back, and the users' choices that stay.
    QVector<cChange> settle();
    bool isSettled() const;

private:
    // One of a headset's devices once it became the default.
    struct cTaken
    {
        QString ours;
        QString previous;
        // The server was seen with ours as its default: from then on another default is the user's.
        bool confirmed = false;
        bool userChanged = false;
    };
    struct cHeadset
    {
        cSoundCard card;
        std::optional<cTaken> taken[2];
        bool left = false;
    };

    std::optional<cChange> take(cHeadset &headset, cSoundServerState::Kind kind,
                                const cSoundServerState &before);
    std::optional<cChange> follow(cHeadset &headset, cSoundServerState::Kind kind) const;
    std::optional<cChange> leave(const cHeadset &headset, cSoundServerState::Kind kind) const;

    QVector<cHeadset> m_headsets;
    cSoundServerState m_state;
};
