#pragma once
#include "ITraceSink.h"

class QIODevice;

// JSON Lines: one object per event, the summary last. Each line is flushed as it is written,
// so that a reader sees a real-time run as it goes.
class cJsonLinesSink : public ITraceSink
{
public:
    // With `quiet`, only the summary line.
    explicit cJsonLinesSink(QIODevice *out, bool quiet = false);

    void write(const cTraceEvent &event) override;
    void finish(const cTraceEvent &summary) override;

private:
    void writeLine(const cTraceEvent &event);

    QIODevice *m_out;
    bool m_quiet;
};
