#pragma once
#include "cScenario.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads a scenario: one command a line, '#' to the end of a line is a comment, blank lines are
// ignored. Every line is checked before anything may run, so a typo near the end of a long
// scenario costs no run; every malformed line gets its own "SOURCE:LINE: what is wrong".
class cScenarioParser
{
public:
    // False when any line is malformed; errors() then lists them in line order and scenario()
    // holds only the lines that were good.
    bool parse(const QString &source, const QByteArray &text);
    const cScenario &scenario() const { return m_scenario; }
    QStringList errors() const { return m_errors; }

    // "150ms", "1.5s", "0s": a whole number of milliseconds, at most a day. False for anything
    // else, with the reason (without the command's name) in `why`.
    static bool parseDuration(const QString &text, qint64 *ms, QString *why = nullptr);
    // "devmgr", "profiler", "audio" or a service's full name.
    static bool parseService(const QString &text, cHostServices::Service *service);

private:
    cScenario m_scenario;
    QStringList m_errors;
};
