#pragma once
#include "ITraceSink.h"

#include <QString>

class QIODevice;

// The timeline a person reads: one line per event in aligned columns (time in milliseconds, who
// talks to whom, the report bytes, what it means), then the summary.
class cTimelineSink : public ITraceSink
{
public:
    // `title` opens the timeline. With `quiet`, only the summary is written.
    cTimelineSink(QIODevice *out, const QString &title, bool quiet = false);

    void write(const cTraceEvent &event) override;
    void finish(const cTraceEvent &summary) override;

    // One line of the timeline, without the newline.
    static QString line(const cTraceEvent &event);
    // The summary block, lines separated by newlines, with a final newline.
    static QString summaryText(const cTraceEvent &summary);

private:
    void writeText(const QString &text);
    void writeHeader();

    QIODevice *m_out;
    QString m_title;
    bool m_quiet;
    bool m_headerWritten = false;
};
