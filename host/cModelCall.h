#pragma once
#include <QList>
#include <QString>
#include <QVariant>

// One operation a plugin called on an audio model of the host: which model, the operation's name
// and the arguments it was given, in order. Whoever reports the call decides how to show it.
struct cModelCall
{
    enum Model { Volume, Dolby };

    Model model = Volume;
    QString operation;
    QVariantList arguments;

    // As a call is written: "incVolume()", "enableDolby(true)", "handleVolumeBoost(false,true)".
    QString text() const;
};
