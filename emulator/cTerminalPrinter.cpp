#include "cTerminalPrinter.h"

#include "cProgressLine.h"

#include <unistd.h>

cTerminalPrinter::cTerminalPrinter(ITraceSink *printer, std::FILE *out, cProgressLine &progress)
    : m_printer(printer)
    , m_progress(progress)
    , m_terminal(isatty(fileno(out)) == 1)
{ }

void cTerminalPrinter::write(const cTraceEvent &event)
{
    if (!m_terminal) {
        m_printer->write(event);
        return;
    }
    m_progress.hide();
    m_printer->write(event);
    m_progress.redraw();
}

void cTerminalPrinter::finish(const cTraceEvent &summary)
{
    // The run is over: its progress has nothing left to say under the summary.
    m_progress.clear();
    m_printer->finish(summary);
}
