#include "cJsonLinesSink.h"

#include <QFileDevice>

cJsonLinesSink::cJsonLinesSink(QIODevice *out, bool quiet)
    : m_out(out)
    , m_quiet(quiet)
{ }

void cJsonLinesSink::write(const cTraceEvent &event)
{
    if (!m_quiet)
        writeLine(event);
}

void cJsonLinesSink::finish(const cTraceEvent &summary)
{
    writeLine(summary);
}

void cJsonLinesSink::writeLine(const cTraceEvent &event)
{
    m_out->write(event.toJson() + '\n');
    if (auto *file = qobject_cast<QFileDevice *>(m_out))
        file->flush();
}
