#pragma once
#include "NexaroGlobal.h"

#include <QString>

// A log handle the host hands to a plugin: where its messages go (a logging category name) and
// from which level on they are written. Cheap to copy.
class NEXARO_EXPORT cLog
{
public:
    enum Level { Debug = 0, Info = 1, Warning = 2, Critical = 3 };

    cLog();
    explicit cLog(const QString &category, Level threshold = Info);

    QString category() const { return m_category; }
    Level threshold() const { return m_threshold; }

    // Written through Qt's message handler, tagged with the category, when level >= threshold.
    void write(Level level, const QString &message) const;

private:
    QString m_category;
    Level m_threshold;
};
