#pragma once
#include <QList>
#include <QString>
#include <QVariant>

// One operation a plugin called on an audio model of the host: which model, the operation's name
// and the arguments it was given, in order. Whoever reports the call decides how to show it.
struct cModelCall
{
    enum Model { Volume, Dolby };
    // What the call means beyond the model's state, for those a headset's own controls drive:
    // its volume wheel steps the volume, its switch turns Dolby on or off.
    enum Effect { NoEffect, VolumeStep, DolbySwitch };

    Model model = Volume;
    QString operation;
    QVariantList arguments;
    Effect effect = NoEffect;
    // VolumeStep: +1 up, -1 down. DolbySwitch: 1 on, 0 off.
    int value = 0;

    // As a call is written: "incVolume()", "enableDolby(true)", "handleVolumeBoost(false,true)".
    QString text() const;
};
