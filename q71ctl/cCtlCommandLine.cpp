#include "cCtlCommandLine.h"

#include <QRegularExpression>

namespace {

// Written for a terminal of 80 columns, as Qt lays out the options below it.
const char g_description[]
    = "Lists, shows, changes and monitors the Q71 headsets that q71-host serves on\n"
      "the session bus (org.q71.Headsets1).\n"
      "\n"
      "Commands:\n"
      "  list                    the headsets: number, name, node, microphone, Dolby,\n"
      "                          volume\n"
      "  show N                  every property of headset N\n"
      "  set N mic-light VALUE   set the microphone light of headset N\n"
      "  set N mic-notification VALUE\n"
      "                          set its mute notification\n"
      "  monitor                 headsets added and removed, keys, volume steps and\n"
      "                          property changes, one line each, until Ctrl-C\n"
      "\n"
      "Exit codes: 0 done, 1 no session bus or no service on it (or it went away),\n"
      "2 a usage error, an unknown headset or a value the service refused.";

struct cCommandName
{
    const char *name;
    cCtlCommandLine::Command command;
    int arguments; // after the command's name
};

const cCommandName g_commands[] = {
    {"list", cCtlCommandLine::List, 0},
    {"show", cCtlCommandLine::Show, 1},
    {"set", cCtlCommandLine::Set, 3},
    {"monitor", cCtlCommandLine::Monitor, 0},
};

} // namespace

cCtlCommandLine::cCtlCommandLine()
{
    m_parser.setApplicationDescription(QString::fromLatin1(g_description));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOption(
        {QStringLiteral("json"),
         QStringLiteral("With list, show and monitor: write JSON (monitor: one object a line), "
                        "each object with \"api_version\".")});
    m_parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("list, show, set or monitor."),
                                   QStringLiteral("COMMAND [ARGUMENTS]"));
}

cCtlCommandLine::Outcome cCtlCommandLine::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments))
        return fail(m_parser.errorText().remove(QRegularExpression(QStringLiteral("\\.$"))));
    if (m_parser.isSet(QStringLiteral("help")))
        return Help;
    if (m_parser.isSet(QStringLiteral("version")))
        return Version;
    m_json = m_parser.isSet(QStringLiteral("json"));
    QStringList positional = m_parser.positionalArguments();
    if (positional.isEmpty())
        return fail(QStringLiteral("no command given (list, show, set or monitor)"));
    const QString name = positional.takeFirst();
    const cCommandName *found = nullptr;
    for (const cCommandName &command : g_commands) {
        if (name == QLatin1String(command.name))
            found = &command;
    }
    if (!found)
        return fail(QStringLiteral("unknown command \"%1\" (list, show, set or monitor)").arg(name));
    m_command = found->command;
    if (positional.size() != found->arguments)
        return fail(QStringLiteral("%1 takes %2 argument(s), not %3")
                        .arg(name)
                        .arg(found->arguments)
                        .arg(positional.size()));
    if (m_command == Show && !parseNumber(positional.first()))
        return Error;
    if (m_command == Set)
        return parseSet(positional);
    return Run;
}

cCtlCommandLine::Outcome cCtlCommandLine::parseSet(const QStringList &arguments)
{
    if (m_json)
        return fail(QStringLiteral("set writes nothing: --json does not apply to it"));
    if (!parseNumber(arguments.at(0)))
        return Error;
    m_setting = HeadsetFields::bySetting(arguments.at(1));
    if (!m_setting) {
        return fail(QStringLiteral("unknown setting \"%1\" (%2)")
                        .arg(arguments.at(1), HeadsetFields::settings().join(QStringLiteral(", "))));
    }
    bool ok = false;
    m_value = arguments.at(2).toUInt(&ok);
    if (!ok)
        return fail(
            QStringLiteral("%1: the value \"%2\" is not a number").arg(arguments.at(1), arguments.at(2)));
    return Run;
}

bool cCtlCommandLine::parseNumber(const QString &text)
{
    bool ok = false;
    m_number = text.toUInt(&ok);
    if (!ok)
        fail(QStringLiteral("\"%1\" is not a headset number (q71ctl list shows them)").arg(text));
    return ok;
}

cCtlCommandLine::Outcome cCtlCommandLine::fail(const QString &error)
{
    m_error = error;
    return Error;
}
