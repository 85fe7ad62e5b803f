#pragma once
#include "ITraceSink.h"
#include "cPcapWriter.h"

#include <QScopedPointer>
#include <QString>
#include <QTemporaryFile>

// Writes the run's HID traffic to a usbmon capture as it is traced: each write an interrupt OUT
// transfer submitted at its time and completed at its completion, each input report an
// interrupt IN completion. The traffic of every headset HID transport goes in as the one device
// the writer describes.
class cPcapSink : public ITraceSink
{
public:
    // `epochUsec` is added to every time: 0 on the virtual clock (the capture then starts at the
    // epoch), the wall-clock time of the run's start on the real one.
    explicit cPcapSink(qint64 epochUsec = 0);

    // The capture is written under a temporary name beside `fileName` and takes that name only
    // when it is closed whole: a run that stops early leaves an existing file as it was.
    bool open(const QString &fileName);
    // Closes the file and gives it its name; false, with errorString(), when anything could not
    // be written.
    bool close();
    QString errorString() const { return m_error; }

    void write(const cTraceEvent &event) override;
    void finish(const cTraceEvent &summary) override;

private:
    void fail(const QString &error);

    cPcapWriter m_writer;
    QScopedPointer<QTemporaryFile> m_temporary;
    QString m_fileName;
    qint64 m_epochUsec;
    QString m_error;
};
