#pragma once
#include "ITraceSink.h"

#include <QFileDevice>
#include <QScopedPointer>
#include <QString>

// A sink that writes a file of its own (the USB capture, the hid-recorder recording), as opposed
// to the printers, which write to the stream they are given. The file is written under a temporary
// name and renamed when whole, so that a run that stops early or fails to write leaves an existing
// file as it was. A rename puts a regular file where the name was, though: a device node, a FIFO
// or a symbolic link given as the output is written in place instead (as root, `--pcap /dev/full`
// would otherwise replace the device).
class cFileSink : public ITraceSink
{
public:
    // False, with errorString(), when the file cannot be written.
    bool open(const QString &fileName);
    // Ends the file: renamed into place when everything was written, dropped otherwise (a file
    // written in place keeps what the device took). False, with errorString(), when anything could
    // not be written. Closing a sink that is not open reports how its opening went.
    bool close();
    // The first thing that went wrong; empty while nothing did.
    QString errorString() const { return m_error; }

    void finish(const cTraceEvent &summary) override;

protected:
    // `what` names the file in errors ("cannot write capture out.pcap: ...").
    explicit cFileSink(const QString &what, QIODevice::OpenMode mode = QIODevice::WriteOnly);

    // Called once the file is open, to begin it; false (after fail()) when it cannot be begun.
    virtual bool begin() { return true; }
    // Called before the file is closed, to end what the sink writes.
    virtual void end() { }

    bool isOpen() const { return m_file && m_file->isOpen(); }
    QFileDevice *file() const { return m_file.data(); }
    QString fileName() const { return m_fileName; }
    // Keeps `error` unless something went wrong before.
    void fail(const QString &error);
    // Takes the file's error, if it has one; whether nothing went wrong so far.
    bool check();

private:
    QString fileError() const;

    QString m_what;
    QIODevice::OpenMode m_mode;
    QString m_fileName;
    QScopedPointer<QFileDevice> m_file;
    QString m_error;
};
