#pragma once
#include "cScenarioParser.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryFile>

#include <functional>

// A scenario read twice and never held: check() reads every line through the parser before
// anything runs, next() then reads the commands again one at a time, so that memory stays the
// same whatever the scenario's length. Standard input, a pipe or a FIFO, which cannot be read
// twice, is copied to a temporary file during the first pass.
class cScenarioFile
{
public:
    // `argument` is a file name, "-" for standard input, or empty for the built-in demo. False,
    // with errorString(), when it cannot be opened.
    bool open(const QString &argument);
    // The name messages give it: the file name, "<stdin>" or "demo.q71".
    QString source() const { return m_source; }

    // Reads the whole scenario and checks every line, each command that parses going to `inspect`
    // when one is given; false, with errorString(), when it cannot be read. The parser then tells
    // whether a line was malformed.
    bool check(cScenarioParser *parser,
               const std::function<void(const cScenarioCommand &)> &inspect
               = std::function<void(const cScenarioCommand &)>());
    // The next command of the checked scenario; false at its end, and when the second reading
    // fails or finds a line that changed (errorString() then says so).
    bool next(cScenarioCommand *command);
    QString errorString() const { return m_error; }

private:
    bool rewind();
    // The next line without its line break; false at the end of the file or on a read error.
    bool readLine(QByteArray *line);
    bool readFailed();

    QFile m_file;
    QTemporaryFile m_spool;
    QIODevice *m_in = nullptr;
    QString m_source;
    QString m_error;
    QByteArray m_buffer;
    int m_position = 0;
    int m_lineNumber = 0;
    bool m_atEnd = false;
    cScenarioParser m_parser;
};
