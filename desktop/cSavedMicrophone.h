#pragma once
#include "Types.h"

class QSettings;

// The microphone settings kept from one plug to the next, in [microphone] of the configuration
// file: light= and notification=, the numbers the microphone model takes. They are given to a
// headset each time it is set up. A setting the model accepted in the run is given from then on;
// only one the user chose (keep()) is written back, for the file is the user's.
//
// A saved value that is no number, or that the model refuses, is one warning and is not given
// again in this run.
class cSavedMicrophone
{
public:
    // Nothing is kept without settings.
    explicit cSavedMicrophone(QSettings *settings);

    void applyTo(const cAbstractDevicePtr &device);
    // For the rest of the run, the file left as it is.
    void remember(bool light, int value);
    // Remembered and written to the file.
    void keep(bool light, int value);

private:
    struct cSaved
    {
        const char *name; // in [microphone]
        bool light; // else the mute notification
        int value = 0; // 0: none
    };

    void read(cSaved *saved);
    static QString keyOf(const cSaved &saved);

    QSettings *m_settings;
    cSaved m_light {"light", true};
    cSaved m_notification {"notification", false};
};
