#pragma once
#include "ITraceSink.h"

#include <QByteArray>
#include <QFile>
#include <QQueue>
#include <QString>

// Compares the JSON Lines a run produces, every event and the summary whatever the run prints,
// with those of an earlier run, line by line as the events come: neither run is held, so a long
// run costs no more memory than a short one. Comparing stops at the first line that differs.
class cGoldenCheck : public ITraceSink
{
public:
    // False, with errorString(), when the file cannot be opened.
    bool open(const QString &fileName);
    QString errorString() const { return m_error; }

    void write(const cTraceEvent &event) override;
    void finish(const cTraceEvent &summary) override;

    bool differs() const { return m_differs; }
    // What differs: the first line that differs, the lines before it, what either run has there
    // (cut around the first byte that differs, bytes other than printable ASCII escaped) and a
    // caret under that byte.
    QStringList report() const;

private:
    void compare(const QByteArray &actual);
    bool readExpected(QByteArray *line);

    QFile m_file;
    QString m_error;
    int m_lineNumber = 0;
    QQueue<QByteArray> m_context; // the last lines that matched, for the report
    bool m_differs = false;
    QByteArray m_expected;
    QByteArray m_actual;
    int m_column = -1; // the first byte of the two lines that differs; -1 where one run ended
};
