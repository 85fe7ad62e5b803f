#pragma once
#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// How far a long run has got, on one line of a terminal that each update overwrites: shown once
// a run has taken longer than a short wait, never when the stream is not a terminal, so that
// nothing of it reaches a file or a pipe. The trace goes to standard output and this to standard
// error; when both are the terminal, the trace's printer takes the line away around each of its
// lines (cTerminalPrinter).
class cProgressLine
{
public:
    explicit cProgressLine(std::FILE *stream);
    ~cProgressLine();

    // The run has reached `virtualMs` on its clock, its scenario line `line` and `reports` replayed
    // reports. Cheap enough to call for every command.
    void update(qint64 virtualMs, int line, qint64 reports);
    // Takes the line away again, before anything else is written to the terminal.
    void clear();
    // Takes the line away for a moment, and puts it back as it was, under what was written
    // between the two (cTerminalPrinter).
    void hide();
    void redraw();

private:
    void redrawText();

    std::FILE *m_stream;
    bool m_terminal;
    bool m_shown = false;
    bool m_hidden = false;
    QString m_text; // the line last shown
    qint64 m_nextMs;
    QElapsedTimer m_elapsed;
};
