#include "cScenarioParser.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace {

const qint64 g_longestMs = 24LL * 60 * 60 * 1000;
// A scenario that is not one at all (a binary file given by mistake) would flood the terminal.
const int g_shownErrors = 20;
// The longest line a message shows, so that a file name or a read error made of junk cannot flood
// the terminal either.
const int g_longestLine = 200;

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

    choice->origin = cTransportChoice::Headset;
    choice->unit = 1;
    if (colon < 0)
        return true;
    if (origin == QLatin1String("foreign")) {
        choice->origin = cTransportChoice::Foreign;
        return true;
    }
    if (origin == QLatin1String("second")) {
        choice->unit = 2;
        return true;
    }
    // A unit by its number, digits only: "hid:+3" and "hid:03" name nothing.
    bool isNumber = false;
    const int unit = origin.toInt(&isNumber);
    if (!isNumber || origin.at(0) < QLatin1Char('1') || origin.at(0) > QLatin1Char('9')
        || unit > cTransportChoice::MaxUnit)
        return false;
    choice->unit = unit;
    return true;
}

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// The words of a line, split at ASCII white space as "\\s+" would split them.
QStringList splitWords(const QString &line)
{
    QStringList words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        const char16_t c = i < line.size() ? line.at(i).unicode() : u' ';
        const bool blank = c == u' ' || (c >= u'\t' && c <= u'\r');
        if (blank && start >= 0) {
            words.append(line.mid(start, i - start));
            start = -1;
        } else if (!blank && start < 0) {
            start = i;
        }
    }
    return words;
}

bool parseWhole(const QString &text, int *value)
{
    bool ok = false;
    *value = text.toInt(&ok, 10);
    return ok;
}

// One line as its command's parser sees it: the first word, the words after it, the command to
// fill in (its kind already set from the first word) and where to say what is wrong.
struct cLine
{
    QString name;
    QStringList args;
    cScenarioCommand *command;
    QString *why;

    bool fail(const QString &text) const
    {
        *why = text;
        return false;
    }
};

bool parseTransports(const cLine &line)
{
    if (line.args.isEmpty()) {
        for (TransportKind::TransportKind_t kind :
             {TransportKind::Hid, TransportKind::Render, TransportKind::Capture})
            line.command->transports.append({kind, cTransportChoice::Headset});
        return true;
    }
    for (const QString &arg : line.args) {
        cTransportChoice choice;
        if (!parseTransport(arg, &choice))
            return line.fail(QStringLiteral("%1: '%2' is not a transport (hid, render or capture, "
                                            "optionally followed by :foreign, :second or a headset's "
                                            "number :1 to :%3)")
                                 .arg(line.name, arg)
                                 .arg(cTransportChoice::MaxUnit));
        line.command->transports.append(choice);
    }
    return true;
}

bool parseNoArguments(const cLine &line)
{
    return line.args.isEmpty() || line.fail(QStringLiteral("'%1' takes no arguments").arg(line.name));
}

// A device number: a whole number from 1 on, in decimal.
bool parseDeviceNumber(const QString &word, int *device)
{
    return std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit() && c.unicode() < 0x80; })
        && parseWhole(word, device) && *device > 0;
}

bool parseInput(const cLine &line)
{
    // Report bytes come in pairs of digits, so a first word of an odd number of decimal digits is
    // the device's number: 2 or 012, never 12, which is a byte.
    QStringList bytes = line.args;
    if (!bytes.isEmpty() && bytes.first().size() % 2 != 0
        && parseDeviceNumber(bytes.first(), &line.command->device))
        bytes.removeFirst();
    if (bytes.isEmpty())
        return line.fail(QStringLiteral("input: no report bytes, e.g. input 02 10 11 00 00"));
    return cScenarioParser::parseHex(bytes, &line.command->report)
        || line.fail(QStringLiteral("input: '%1' is not hex bytes, e.g. input 02 10 11 00 00")
                         .arg(bytes.join(QLatin1Char(' '))));
}

// An optional device number first: "info", "info 2".
bool parseInfo(const cLine &line)
{
    if (line.args.isEmpty())
        return true;
    return (line.args.size() == 1 && parseDeviceNumber(line.args.first(), &line.command->device))
        || line.fail(QStringLiteral("info: expected 'info' or 'info N' with N a device number from 1 on"));
}

bool parseDurationArgument(const cLine &line)
{
    if (line.args.size() != 1)
        return line.fail(QStringLiteral("%1: needs one duration, e.g. 150ms or 1.5s").arg(line.name));
    QString reason;
    return cScenarioParser::parseDuration(line.args.first(), &line.command->ms, &reason)
        || line.fail(line.name + QStringLiteral(": ") + reason);
}

bool parseMic(const cLine &line)
{
    // An optional device number first: "mic 2", "mic 2 light 3"; settings are words, never numbers.
    QStringList args = line.args;
    if (!args.isEmpty() && parseDeviceNumber(args.first(), &line.command->device))
        args.removeFirst();
    if (args.isEmpty())
        return true;
    if (args.size() != 2
        || (args.first() != QLatin1String("light") && args.first() != QLatin1String("notify")))
        return line.fail(QStringLiteral("mic: expected 'mic [N]', 'mic [N] light V' or 'mic [N] notify V'"));
    line.command->kind
        = args.first() == QLatin1String("light") ? cScenarioCommand::MicLight : cScenarioCommand::MicNotify;
    if (parseWhole(args.at(1), &line.command->value))
        return true;
    // A whole number too big for the setters' int is told apart from a word that is no number.
    static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
    const bool whole = digits.match(args.at(1)).hasMatch();
    return line.fail(
        whole ? QStringLiteral("mic %1: '%2' is out of the 32-bit range (-2147483648 to 2147483647)")
                    .arg(args.first(), args.at(1))
              : QStringLiteral("mic %1: '%2' is not a whole number").arg(args.first(), args.at(1)));
}

bool parseLocale(const cLine &line)
{
    if (line.args.size() != 1)
        return line.fail(QStringLiteral("locale: needs one locale name, e.g. ja-JP"));
    return cScenarioParser::parseLocale(line.args.first(), &line.command->name)
        || line.fail(
            QStringLiteral("locale: '%1' is %2").arg(line.args.first(), cScenarioParser::notALocale()));
}

bool parseCompletions(const cLine &line)
{
    const QString mode = line.args.size() == 1 ? line.args.first() : QString();
    return cScenarioCommand::completionsFromName(mode, &line.command->completions)
        || line.fail(QStringLiteral("completions: expected on, off or twice"));
}

bool parseExpect(const cLine &line)
{
    return line.command->expectation.parse(line.args, line.why);
}

bool parseServiceSwitch(const cLine &line)
{
    const QStringList &args = line.args;
    if (args.size() != 2)
        return line.fail(QStringLiteral("service: expected 'service NAME down' or 'service NAME up'"));
    if (!cScenarioParser::parseService(args.first(), &line.command->service))
        return line.fail(QStringLiteral("service: unknown service '%1' (devmgr, profiler, audio, or a full "
                                        "name such as AudioDeviceManager.AudioDeviceMgr)")
                             .arg(args.first()));
    if (args.at(1) != QLatin1String("down") && args.at(1) != QLatin1String("up"))
        return line.fail(QStringLiteral("service: '%1' is neither down nor up").arg(args.at(1)));
    line.command->up = args.at(1) == QLatin1String("up");
    return true;
}

// Each command by the kind its first word names; "mic" starts as a read, and its parser makes it
// a setter when a setting follows.
const struct
{
    cScenarioCommand::Kind kind;
    bool (*parse)(const cLine &line);
} g_commands[] = {
    {cScenarioCommand::Plug, &parseTransports},
    {cScenarioCommand::Unplug, &parseTransports},
    {cScenarioCommand::Start, &parseNoArguments},
    {cScenarioCommand::Stop, &parseNoArguments},
    {cScenarioCommand::Input, &parseInput},
    {cScenarioCommand::Wait, &parseDurationArgument},
    {cScenarioCommand::MicRead, &parseMic},
    {cScenarioCommand::Info, &parseInfo},
    {cScenarioCommand::Exit, &parseNoArguments},
    {cScenarioCommand::Locale, &parseLocale},
    {cScenarioCommand::Latency, &parseDurationArgument},
    {cScenarioCommand::Completions, &parseCompletions},
    {cScenarioCommand::Service, &parseServiceSwitch},
    {cScenarioCommand::Expect, &parseExpect},
};

bool parseWords(const QStringList &words, cScenarioCommand *command, QString *why)
{
    const cLine line {words.first(), words.mid(1), command, why};
    for (const auto &entry : g_commands) {
        if (line.name == cScenarioCommand::keywordOf(entry.kind)) {
            command->kind = entry.kind;
            return entry.parse(line);
        }
    }
    return line.fail(QStringLiteral("unknown command '%1'").arg(line.name));
}

} // namespace

bool cScenarioParser::parse(const QString &source, const QByteArray &text)
{
    m_scenario = cScenario();
    m_scenario.source = source;
    begin(source);
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        cScenarioCommand command;
        if (parseLine(lines.at(i), i + 1, &command))
            m_scenario.commands.append(command);
    }
    return m_errorCount == 0;
}

void cScenarioParser::begin(const QString &source)
{
    m_source = source;
    m_errors.clear();
    m_errorCount = 0;
}

bool cScenarioParser::parseLine(const QByteArray &bytes, int number, cScenarioCommand *command)
{
    // The length is given: a NUL byte is part of the line, not its end.
    QString line = QString::fromUtf8(bytes.constData(), bytes.size());
    const int comment = line.indexOf(QLatin1Char('#'));
    if (comment >= 0)
        line.truncate(comment);
    const QStringList words = splitWords(line);
    if (words.isEmpty())
        return false;

    *command = cScenarioCommand();
    command->line = number;
    QString why;
    if (parseWords(words, command, &why))
        return true;
    if (++m_errorCount <= g_shownErrors)
        m_errors.append(printable(QStringLiteral("%1:%2: %3").arg(m_source).arg(number).arg(why)));
    return false;
}

QStringList cScenarioParser::errors() const
{
    QStringList shown = m_errors;
    if (m_errorCount > g_shownErrors)
        shown.append(QStringLiteral("... and %1 more").arg(m_errorCount - g_shownErrors));
    return shown;
}

QString cScenarioParser::printable(const QString &text)
{
    QString safe;
    for (const QChar c : text) {
        if (c.isPrint() || c.isSurrogate())
            safe.append(c);
        else if (c.unicode() < 0x100)
            safe.append(QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')));
        else
            safe.append(QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')));
        if (safe.size() > g_longestLine)
            return safe.left(g_longestLine - 1) + QChar(0x2026);
    }
    return safe;
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
    // The usual form, whole milliseconds, spares a long scenario the regular expression.
    const QString digits = text.left(text.size() - 2);
    if (text.endsWith(QLatin1String("ms")) && !digits.isEmpty() && digits.size() <= 12
        && std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); })) {
        const qint64 value = digits.toLongLong();
        if (value <= g_longestMs) {
            *ms = value;
            return true;
        }
    }
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

// Checked by hand: a regular expression per word was most of what a long scenario of input lines
// cost.
bool cScenarioParser::parseHex(const QStringList &words, QByteArray *bytes)
{
    for (const QString &word : words) {
        if (word.isEmpty() || word.size() % 2 != 0 || !std::all_of(word.begin(), word.end(), isHexDigit))
            return false;
        bytes->append(QByteArray::fromHex(word.toLatin1()));
    }
    return true;
}

// QLocale falls back to the C locale for a name it does not know, so that fallback is what gives a
// bad name away.
bool cScenarioParser::parseLocale(const QString &text, QString *name)
{
    const bool isC = text.compare(QLatin1String("C"), Qt::CaseInsensitive) == 0
        || text.compare(QLatin1String("POSIX"), Qt::CaseInsensitive) == 0;
    if (QLocale(text).language() == QLocale::C && !isC)
        return false;
    *name = text;
    name->replace(QLatin1Char('_'), QLatin1Char('-'));
    return true;
}

QString cScenarioParser::notALocale()
{
    return QStringLiteral("not a locale name, e.g. ja-JP or en-US");
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
