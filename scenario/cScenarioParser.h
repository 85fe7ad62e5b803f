#pragma once
#include "cScenario.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads a scenario: one command a line, '#' to the end of a line is a comment, blank lines are
// ignored. Every line is checked before anything may run, so a typo near the end of a long
// scenario costs no run; every malformed line gets its own "SOURCE:LINE: what is wrong".
//
// A scenario of a million lines is checked one line at a time (begin(), then parseLine() for each
// line) so that nothing of it is held; parse() does the same for a scenario held in memory.
class cScenarioParser
{
public:
    // False when any line is malformed; errors() then lists them in line order and scenario()
    // holds only the lines that were good.
    bool parse(const QString &source, const QByteArray &text);
    const cScenario &scenario() const { return m_scenario; }

    // Forgets the errors of an earlier scenario; `source` names the lines in error messages.
    void begin(const QString &source);
    // Line `number` (1-based, without its line break): true with `command` filled in when it holds
    // a good command; false for a blank or comment line, and for a malformed one, which is counted
    // and reported.
    bool parseLine(const QByteArray &line, int number, cScenarioCommand *command);
    int errorCount() const { return m_errorCount; }
    // The first malformed lines as "SOURCE:LINE: what is wrong", bytes that a terminal would
    // act on escaped and long lines cut; when there were more, a last line says how many.
    QStringList errors() const;

    // "150ms", "1.5s", "0s": a whole number of milliseconds, at most a day. False for anything
    // else, with the reason (without the command's name) in `why`.
    static bool parseDuration(const QString &text, qint64 *ms, QString *why = nullptr);
    // Whole pairs of hex digits, any number of them run together in a word: "02 10 11 00 00".
    static bool parseHex(const QStringList &words, QByteArray *bytes);
    // A locale name QLocale knows, written as devices expect it ("ja_JP" as "ja-JP"), for the
    // scenario's `locale` and --locale alike. False for a name it does not know.
    static bool parseLocale(const QString &text, QString *name);
    // What is said of a name parseLocale() refuses, after the name.
    static QString notALocale();
    // "devmgr", "profiler", "audio" or a service's full name.
    static bool parseService(const QString &text, cHostServices::Service *service);

    // `text` made safe for a terminal: what is not printable as \xNN or \uNNNN, and long lines cut
    // with an ellipsis.
    static QString printable(const QString &text);

private:
    cScenario m_scenario;
    QString m_source;
    QStringList m_errors;
    int m_errorCount = 0;
};
