#pragma once
#include "IHidTransport.h"
#include "cTransportBase.h"

#include <QList>
#include <QString>

class QSocketNotifier;

// A HID interface through its hidraw node. The node is opened non-blocking at start() and closed
// at stop(). Each read() of the node returns one whole input report: every report is queued and
// announced with "readyRead()". Each write() of the node sends one whole output report: a write
// that finds the node busy waits until it is writable, and its "writeComplete(int)" follows from
// the event loop once the report went out, never from inside write().
//
// When the node fails (the headset pulled out mid-transfer, a report written only in part, a node
// that hangs up or keeps polling readable with nothing to read) the transport closes it, says why
// on "q71.linux" and emits failed(); the bus then takes it away.
class cHidrawTransport : public cTransportBase<IHidTransport>
{
    Q_OBJECT
public:
    cHidrawTransport(const cJsonValue &info, const QString &devnode);
    ~cHidrawTransport() override;

    QString devnode() const { return m_devnode; }
    bool isOpen() const { return m_fd >= 0; }

    void start() override;
    void stop() override;
    // Takes the oldest input report read; an empty array when none waits.
    QByteArray read() override;
    void write(int cookie, const QByteArray &outputReport) override;
    bool setFeature(const QByteArray &featureReport) override;
    QByteArray feature(int reportId) override;
    bool feature(QByteArray &report) override;

signals:
    void readyRead();
    void writeComplete(int cookie);
    void failed(const QString &reason);

private:
    struct cPendingWrite
    {
        int cookie = 0;
        QByteArray report;
    };

    void open();
    void close();
    void onReadable();
    void wokeWithNothing();
    void onWritable();
    void writePending();
    void fail(const QString &reason);

    QString m_devnode;
    int m_fd = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    int m_emptyWakeups = 0; // read notifications in a row that found no report
    QList<QByteArray> m_input;
    QList<cPendingWrite> m_pending;
};
