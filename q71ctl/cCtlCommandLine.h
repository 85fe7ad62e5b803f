#pragma once
#include "HeadsetFields.h"

#include <QCommandLineParser>

// q71ctl's command line: the command, its arguments and options, checked before anything touches
// the bus, so that a usage error is told the same with or without a service.
class cCtlCommandLine
{
public:
    enum Command { List, Show, Set, Monitor };
    enum Outcome { Run, Help, Version, Error };

    cCtlCommandLine();

    // `arguments` with the program's name first, as QCoreApplication::arguments() gives them.
    Outcome parse(const QStringList &arguments);

    Command command() const { return m_command; }
    bool json() const { return m_json; }
    uint number() const { return m_number; }
    // Set only: what to set and to what.
    const HeadsetFields::cField *setting() const { return m_setting; }
    uint value() const { return m_value; }

    QString helpText() const { return m_parser.helpText(); }
    // After Error: one line saying what is wrong.
    QString error() const { return m_error; }

private:
    Outcome fail(const QString &error);
    bool parseNumber(const QString &text);
    Outcome parseSet(const QStringList &arguments);

    QCommandLineParser m_parser;
    Command m_command = List;
    bool m_json = false;
    uint m_number = 0;
    const HeadsetFields::cField *m_setting = nullptr;
    uint m_value = 0;
    QString m_error;
};
