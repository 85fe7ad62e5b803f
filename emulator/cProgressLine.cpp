#include "cProgressLine.h"

#include <unistd.h>

namespace {

// A run this short says nothing; a longer one is updated a few times a second, no more, so
// that the terminal costs the run nothing.
const qint64 g_quietMs = 2000;
const qint64 g_everyMs = 250;

} // namespace

cProgressLine::cProgressLine(std::FILE *stream)
    : m_stream(stream)
    , m_terminal(isatty(fileno(stream)) == 1)
    , m_nextMs(g_quietMs)
{
    m_elapsed.start();
}

cProgressLine::~cProgressLine()
{
    clear();
}

void cProgressLine::update(qint64 virtualMs, int line, qint64 reports)
{
    if (!m_terminal || m_elapsed.elapsed() < m_nextMs)
        return;
    m_nextMs = m_elapsed.elapsed() + g_everyMs;
    QString text = QStringLiteral("q71-host: %1 s on the clock, line %2")
                       .arg(double(virtualMs) / 1000, 0, 'f', 1)
                       .arg(line);
    if (reports > 0)
        text += QStringLiteral(", %1 reports replayed").arg(reports);
    m_text = text;
    m_shown = true;
    m_hidden = false;
    redrawText();
}

void cProgressLine::redrawText()
{
    // Carriage return and erase-to-end-of-line: the next update overwrites this one.
    std::fprintf(m_stream, "\r%s\033[K", qUtf8Printable(m_text));
    std::fflush(m_stream);
}

void cProgressLine::hide()
{
    if (!m_shown)
        return;
    clear();
    m_hidden = true;
}

void cProgressLine::redraw()
{
    if (!m_hidden)
        return;
    m_hidden = false;
    m_shown = true;
    redrawText();
}

void cProgressLine::clear()
{
    m_hidden = false;
    if (!m_shown)
        return;
    std::fprintf(m_stream, "\r\033[K");
    std::fflush(m_stream);
    m_shown = false;
}
