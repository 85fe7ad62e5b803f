#include "cGoldenCheck.h"

namespace {

const int g_contextLines = 3;
// How a line is shown where one of the two ended before the other.
const char g_endOfRun[] = "(the run ended here)";
const char g_endOfFile[] = "(the file ended here)";
// A shown line is at most this wide; one cut to fit keeps this much before the first difference.
const int g_shownWidth = 200;
const int g_shownBefore = 60;
const QChar g_cut(0x2026); // where a shown line leaves something out
const int g_numberWidth = 10; // "- ", the line number in six places, two spaces

// A byte as the report shows it: printable ASCII as it is, anything else (a byte order mark, a
// carriage return, half of a UTF-8 character, a no-break space) as \xNN, so that two lines that
// differ are never shown alike.
QString escaped(char byte)
{
    const auto code = uchar(byte);
    if (code >= 0x20 && code < 0x7f)
        return QString(QLatin1Char(byte));
    return QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
}

int shownWidth(const QByteArray &line, int from, int to)
{
    int width = 0;
    for (int i = from; i < to; ++i)
        width += int(escaped(line.at(i)).size());
    return width;
}

// `line` as the report shows it, no wider than g_shownWidth. A line whose byte `at` (the first
// that differs; -1 for none) would fall out of sight is cut around it instead of at its start, with
// g_shownBefore characters before it. `caret` gets the column where byte `at` is shown.
QString shown(const QByteArray &line, int at = -1, int *caret = nullptr)
{
    int start = 0;
    if (at > 0 && shownWidth(line, 0, at) > g_shownWidth - g_shownBefore) {
        start = at;
        for (int width = 0; start > 0 && width + escaped(line.at(start - 1)).size() <= g_shownBefore;)
            width += int(escaped(line.at(--start)).size());
    }
    QString text = start > 0 ? QString(g_cut) : QString();
    if (caret)
        *caret = int(text.size()) + shownWidth(line, start, at);
    int next = start;
    for (; next < line.size(); ++next) {
        const QString byte = escaped(line.at(next));
        if (text.size() + byte.size() > g_shownWidth - 1)
            break;
        text += byte;
    }
    return next < line.size() ? text + g_cut : text;
}

// The first byte where the two lines differ; the length of the shorter when one begins the other.
int firstDifference(const QByteArray &a, const QByteArray &b)
{
    const int common = int(qMin(a.size(), b.size()));
    int i = 0;
    while (i < common && a.at(i) == b.at(i))
        ++i;
    return i;
}

} // namespace

bool cGoldenCheck::open(const QString &fileName)
{
    m_file.setFileName(fileName);
    if (m_file.open(QIODevice::ReadOnly))
        return true;
    m_error = QStringLiteral("--check %1: %2").arg(fileName, m_file.errorString());
    return false;
}

void cGoldenCheck::write(const cTraceEvent &event)
{
    compare(event.toJson());
}

void cGoldenCheck::finish(const cTraceEvent &summary)
{
    compare(summary.toJson());
    if (m_differs)
        return;
    // The earlier run went on after this one ended.
    QByteArray expected;
    if (readExpected(&expected)) {
        m_differs = true;
        m_expected = expected;
        m_actual = g_endOfRun;
        ++m_lineNumber;
    }
}

bool cGoldenCheck::readExpected(QByteArray *line)
{
    // A pipe is at its end until its bytes arrive: only a read tells.
    *line = m_file.readLine();
    if (line->isEmpty())
        return false;
    if (line->endsWith('\n'))
        line->chop(1);
    return true;
}

void cGoldenCheck::compare(const QByteArray &actual)
{
    if (m_differs)
        return;
    ++m_lineNumber;
    QByteArray expected;
    const bool more = readExpected(&expected);
    if (more && expected == actual) {
        m_context.enqueue(actual);
        if (m_context.size() > g_contextLines)
            m_context.dequeue();
        return;
    }
    m_differs = true;
    m_expected = more ? expected : QByteArray(g_endOfFile);
    m_actual = actual;
    if (more)
        m_column = firstDifference(expected, actual);
}

QStringList cGoldenCheck::report() const
{
    if (!m_differs)
        return {};
    const QString where = m_column < 0 ? QString() : QStringLiteral(" at column %1").arg(m_column + 1);
    QStringList lines {QStringLiteral("--check %1: line %2 differs%3 (- expected, + this run)")
                           .arg(m_file.fileName(), QString::number(m_lineNumber), where)};
    int number = m_lineNumber - int(m_context.size());
    for (const QByteArray &line : m_context)
        lines << QStringLiteral("  %1  %2").arg(number++, 6).arg(shown(line));
    // Both lines are cut alike: the bytes before the difference are the same.
    int caret = 0;
    lines << QStringLiteral("- %1  %2").arg(m_lineNumber, 6).arg(shown(m_expected, m_column, &caret));
    lines << QStringLiteral("+ %1  %2").arg(m_lineNumber, 6).arg(shown(m_actual, m_column));
    if (m_column >= 0)
        lines << QString(g_numberWidth + caret, QLatin1Char(' ')) + QLatin1Char('^');
    return lines;
}
