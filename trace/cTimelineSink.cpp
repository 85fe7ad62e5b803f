#include "cTimelineSink.h"

#include "TimelineRows.h"

#include <QFileDevice>

namespace {

const int g_timeWidth = 8;
const int g_partyWidth = 21;
const int g_bytesWidth = 15;

} // namespace

cTimelineSink::cTimelineSink(QIODevice *out, const QString &title, bool quiet)
    : m_out(out)
    , m_title(title)
    , m_quiet(quiet)
{ }

QString cTimelineSink::line(const cTraceEvent &event)
{
    const TimelineRows::cRow cells = TimelineRows::row(event);
    QString text = QStringLiteral("%1 ms  ").arg(event.msecs(), g_timeWidth - 3);
    text += cells.party.leftJustified(g_partyWidth) + QLatin1Char(' ');
    text += cells.bytes.leftJustified(g_bytesWidth) + QLatin1Char(' ');
    text += cells.text;
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QString cTimelineSink::summaryText(const cTraceEvent &summary)
{
    const auto count = [&summary](const char *label, const char *key) {
        return QStringLiteral("  %1 %2\n")
            .arg(QLatin1String(label), -20)
            .arg(summary.value(QLatin1String(key)).toInt(), 6);
    };
    QString text = QStringLiteral("Summary: %1 ms on the %2 clock\n")
                       .arg(summary.msecs())
                       .arg(summary.value(QStringLiteral("clock")).toString());
    text += count("reports written", "written");
    text += count("reports read", "read");
    text += count("write completions", "completions");
    text += count("events posted", "posted");
    text += count("failures logged", "failures");
    text += count("warnings logged", "warnings");
    text += count("scenario errors", "errors");
    if (summary.has(QStringLiteral("expectations"))) {
        text += count("expectations", "expectations");
        text += count("expectations unmet", "unmet");
    }
    return text;
}

void cTimelineSink::write(const cTraceEvent &event)
{
    if (m_quiet)
        return;
    writeHeader();
    writeText(line(event) + QLatin1Char('\n'));
}

void cTimelineSink::finish(const cTraceEvent &summary)
{
    if (!m_quiet) {
        writeHeader();
        writeText(QStringLiteral("\n"));
    }
    writeText(summaryText(summary));
}

void cTimelineSink::writeHeader()
{
    if (m_headerWritten)
        return;
    m_headerWritten = true;
    QString header = m_title + QLatin1Char('\n');
    header += QStringLiteral("%1  %2 %3 %4\n")
                  .arg(QStringLiteral("time"), g_timeWidth)
                  .arg(QStringLiteral("who"), -g_partyWidth)
                  .arg(QStringLiteral("report"), -g_bytesWidth)
                  .arg(QStringLiteral("meaning"));
    writeText(header);
}

void cTimelineSink::writeText(const QString &text)
{
    m_out->write(text.toUtf8());
    if (auto *file = qobject_cast<QFileDevice *>(m_out))
        file->flush();
}
