#pragma once
#include "ITraceSink.h"

#include <cstdio>

class cProgressLine;

// The printer of the trace, when its lines go to the terminal the progress line is shown on: the
// progress line is taken away before each line and drawn again under it, so that no trace line
// starts in the middle of it. Elsewhere it hands the events on untouched.
class cTerminalPrinter : public ITraceSink
{
public:
    // `printer` writes to `out`; neither is owned.
    cTerminalPrinter(ITraceSink *printer, std::FILE *out, cProgressLine &progress);

    void write(const cTraceEvent &event) override;
    void finish(const cTraceEvent &summary) override;

private:
    ITraceSink *m_printer;
    cProgressLine &m_progress;
    bool m_terminal;
};
