#include "cScenarioParser.h"

#include <QRegularExpression>

#include <utility>

namespace {

const qint64 g_longestMs = 24LL * 60 * 60 * 1000;

bool parseTransport(const QString &word, cTransportChoice *choice)
{
    const int colon = word.indexOf(QLatin1Char(':'));
    const QString kind = colon < 0 ? word : word.left(colon);
    const QString origin = colon < 0 ? QString() : word.mid(colon + 1);

    if (kind == QLatin1String("hid"))
        choice->kind = TransportKind::Hid;
    else if (kind == QLatin1String("render"))
        choice->kind = TransportKind::Render;
    else if (kind == QLatin1String("capture"))
        choice->kind = TransportKind::Capture;
    else
        return false;

    if (colon < 0)
        choice->origin = cTransportChoice::Headset;
    else if (origin == QLatin1String("foreign"))
        choice->origin = cTransportChoice::Foreign;
    else if (origin == QLatin1String("second"))
        choice->origin = cTransportChoice::Second;
    else
        return false;
    return true;
}

bool parseHexBytes(const QStringList &words, QByteArray *bytes)
{
    static const QRegularExpression hexPairs(QStringLiteral("^(?:[0-9A-Fa-f]{2})+$"));
    for (const QString &word : words) {
        if (!hexPairs.match(word).hasMatch())
            return false;
        bytes->append(QByteArray::fromHex(word.toLatin1()));
    }
    return true;
}

bool parseWhole(const QString &text, int *value)
{
    bool ok = false;
    *value = text.toInt(&ok, 10);
    return ok;
}

} // namespace

bool cScenarioParser::parse(const QString &source, const QByteArray &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    m_scenario = cScenario();
    m_scenario.source = source;
    m_errors.clear();

    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        const int comment = line.indexOf(QLatin1Char('#'));
        if (comment >= 0)
            line.truncate(comment);
        const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;

        cScenarioCommand command;
        command.line = i + 1;
        QString why;
        if (parseLine(words, &command, &why))
            m_scenario.commands.append(command);
        else
            m_errors.append(QStringLiteral("%1:%2: %3").arg(source).arg(i + 1).arg(why));
    }
    return m_errors.isEmpty();
}

bool cScenarioParser::parseLine(const QStringList &words, cScenarioCommand *command, QString *why) const
{
    const QString &name = words.first();
    const QStringList args = words.mid(1);
    const auto fail = [why](const QString &text) {
        *why = text;
        return false;
    };
    const auto noArguments = [&](cScenarioCommand::Kind kind) {
        command->kind = kind;
        return args.isEmpty() || fail(QStringLiteral("'%1' takes no arguments").arg(name));
    };
    const auto duration = [&](cScenarioCommand::Kind kind) {
        command->kind = kind;
        if (args.size() != 1)
            return fail(QStringLiteral("%1: needs one duration, e.g. 150ms or 1.5s").arg(name));
        QString reason;
        return parseDuration(args.first(), &command->ms, &reason)
            || fail(name + QStringLiteral(": ") + reason);
    };

    if (name == QLatin1String("plug") || name == QLatin1String("unplug")) {
        command->kind = name == QLatin1String("plug") ? cScenarioCommand::Plug : cScenarioCommand::Unplug;
        if (args.isEmpty()) {
            for (TransportKind::TransportKind_t kind :
                 {TransportKind::Hid, TransportKind::Render, TransportKind::Capture})
                command->transports.append({kind, cTransportChoice::Headset});
            return true;
        }
        for (const QString &arg : args) {
            cTransportChoice choice;
            if (!parseTransport(arg, &choice))
                return fail(QStringLiteral("%1: '%2' is not a transport (hid, render or capture, "
                                           "optionally followed by :foreign or :second)")
                                .arg(name, arg));
            command->transports.append(choice);
        }
        return true;
    }
    if (name == QLatin1String("start"))
        return noArguments(cScenarioCommand::Start);
    if (name == QLatin1String("stop"))
        return noArguments(cScenarioCommand::Stop);
    if (name == QLatin1String("info"))
        return noArguments(cScenarioCommand::Info);
    if (name == QLatin1String("exit"))
        return noArguments(cScenarioCommand::Exit);
    if (name == QLatin1String("input")) {
        command->kind = cScenarioCommand::Input;
        if (args.isEmpty())
            return fail(QStringLiteral("input: no report bytes, e.g. input 02 10 11 00 00"));
        return parseHexBytes(args, &command->report)
            || fail(QStringLiteral("input: '%1' is not hex bytes, e.g. input 02 10 11 00 00")
                        .arg(args.join(QLatin1Char(' '))));
    }
    if (name == QLatin1String("wait"))
        return duration(cScenarioCommand::Wait);
    if (name == QLatin1String("latency"))
        return duration(cScenarioCommand::Latency);
    if (name == QLatin1String("mic")) {
        command->kind = cScenarioCommand::MicRead;
        if (args.isEmpty())
            return true;
        if (args.size() != 2
            || (args.first() != QLatin1String("light") && args.first() != QLatin1String("notify")))
            return fail(QStringLiteral("mic: expected 'mic', 'mic light N' or 'mic notify N'"));
        const bool light = args.first() == QLatin1String("light");
        command->kind = light ? cScenarioCommand::MicLight : cScenarioCommand::MicNotify;
        if (!parseWhole(args.at(1), &command->value))
            return fail(QStringLiteral("mic %1: '%2' is not a whole number").arg(args.first(), args.at(1)));
        return true;
    }
    if (name == QLatin1String("locale")) {
        command->kind = cScenarioCommand::Locale;
        if (args.size() != 1)
            return fail(QStringLiteral("locale: needs one locale name, e.g. ja-JP"));
        command->name = args.first();
        return true;
    }
    if (name == QLatin1String("completions")) {
        command->kind = cScenarioCommand::Completions;
        const QString mode = args.size() == 1 ? args.first() : QString();
        if (mode == QLatin1String("on"))
            command->completions = cSimHidTransport::CompleteOnce;
        else if (mode == QLatin1String("off"))
            command->completions = cSimHidTransport::CompleteNever;
        else if (mode == QLatin1String("twice"))
            command->completions = cSimHidTransport::CompleteTwice;
        else
            return fail(QStringLiteral("completions: expected on, off or twice"));
        return true;
    }
    if (name == QLatin1String("service")) {
        command->kind = cScenarioCommand::Service;
        if (args.size() != 2)
            return fail(QStringLiteral("service: expected 'service NAME down' or 'service NAME up'"));
        if (!parseService(args.first(), &command->service))
            return fail(QStringLiteral("service: unknown service '%1' (devmgr, profiler, audio, or a full "
                                       "name such as AudioDeviceManager.AudioDeviceMgr)")
                            .arg(args.first()));
        if (args.at(1) != QLatin1String("down") && args.at(1) != QLatin1String("up"))
            return fail(QStringLiteral("service: '%1' is neither down nor up").arg(args.at(1)));
        command->up = args.at(1) == QLatin1String("up");
        return true;
    }
    return fail(QStringLiteral("unknown command '%1'").arg(name));
}

bool cScenarioParser::parseDuration(const QString &text, qint64 *ms, QString *why)
{
    // Whole and fractional digits are kept as text: a binary fraction would turn 0.3s into
    // 299ms on some inputs.
    static const QRegularExpression pattern(QStringLiteral("^([0-9]+)(?:\\.([0-9]+))?(ms|s)$"));
    const auto fail = [why](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return fail(QStringLiteral("'%1' is not a duration, e.g. 150ms or 1.5s").arg(text));

    QString whole = match.captured(1);
    QString fraction = match.captured(2);
    if (match.captured(3) == QLatin1String("s")) {
        fraction = fraction.leftJustified(3, QLatin1Char('0'));
        whole += fraction.left(3);
        fraction = fraction.mid(3);
    }
    for (const QChar digit : std::as_const(fraction)) {
        if (digit != QLatin1Char('0'))
            return fail(QStringLiteral("'%1' is not a whole number of milliseconds").arg(text));
    }
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    const qint64 value = whole.size() > 12 ? g_longestMs + 1 : whole.toLongLong();
    if (value > g_longestMs)
        return fail(QStringLiteral("'%1' is longer than a day").arg(text));
    *ms = value;
    return true;
}

bool cScenarioParser::parseService(const QString &text, cHostServices::Service *service)
{
    const struct
    {
        const char *alias;
        cHostServices::Service service;
    } aliases[] = {
        {"devmgr", cHostServices::DevMgr},
        {"profiler", cHostServices::Profiler},
        {"audio", cHostServices::AudioDeviceMgr},
    };
    for (const auto &entry : aliases) {
        if (text == QLatin1String(entry.alias) || text == cHostServices::name(entry.service)) {
            *service = entry.service;
            return true;
        }
    }
    return false;
}
