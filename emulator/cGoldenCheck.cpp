#include "cGoldenCheck.h"

#include "cScenarioParser.h"

namespace {

const int g_contextLines = 3;
// How a line is shown where one of the two ended before the other.
const char g_endOfRun[] = "(the run ended here)";
const char g_endOfFile[] = "(the file ended here)";

QString shown(const QByteArray &line)
{
    return cScenarioParser::printable(QString::fromUtf8(line));
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
}

QStringList cGoldenCheck::report() const
{
    if (!m_differs)
        return {};
    QStringList lines {QStringLiteral("--check %1: line %2 differs (- expected, + this run)")
                           .arg(m_file.fileName())
                           .arg(m_lineNumber)};
    int number = m_lineNumber - int(m_context.size());
    for (const QByteArray &line : m_context)
        lines << QStringLiteral("  %1  %2").arg(number++, 6).arg(shown(line));
    lines << QStringLiteral("- %1  %2").arg(m_lineNumber, 6).arg(shown(m_expected));
    lines << QStringLiteral("+ %1  %2").arg(m_lineNumber, 6).arg(shown(m_actual));
    return lines;
}
