#pragma once
#include <QByteArray>
#include <QQueue>
#include <QString>

struct pcap;
struct pcap_dumper;

// Records a run's HID traffic as a Linux usbmon capture (LINKTYPE_USB_LINUX_MMAPPED) of one
// device's two interrupt endpoints, so that Wireshark and tshark show the emulated headset's
// reports the way they show a real headset's.
//
// Each output report is an interrupt OUT URB: a submission 'S' that carries the report, then a
// completion 'C' without data. Input reports arrive on one interrupt IN URB that is always
// pending, as a HID driver keeps it: the completion 'C' carries the report and the driver's
// resubmission 'S' follows at the same instant. The URB's first submission is written with the
// first input report.
//
// Times are microseconds, since the epoch or since the start of a virtual clock; the caller
// passes them in the order the events happened.
class cPcapWriter
{
public:
    explicit cPcapWriter(quint16 bus = 1, quint8 address = 5, quint8 inEndpoint = 0x81,
                         quint8 outEndpoint = 0x02);
    ~cPcapWriter();
    cPcapWriter(const cPcapWriter &) = delete;
    cPcapWriter &operator=(const cPcapWriter &) = delete;

    // Creates or truncates the file and writes the capture's file header.
    bool open(const QString &fileName);
    bool isOpen() const { return m_dumper != nullptr; }
    // Flushes and closes; false when the data could not all be written.
    bool close();
    bool flush();
    QString errorString() const { return m_error; }

    // One output report whose transfer completes at once.
    bool writeOutput(qint64 usec, const QByteArray &report);
    // The two halves of an output transfer, for callers that see the completion later. Completions
    // pair with submissions in order; a completion with no submission waiting is refused.
    bool submitOutput(qint64 usec, const QByteArray &report);
    bool completeOutput(qint64 usec);
    int pendingOutputs() const { return m_pendingOut.size(); }

    bool writeInput(qint64 usec, const QByteArray &report);

    quint16 bus() const { return m_bus; }
    quint8 address() const { return m_address; }
    quint8 inEndpoint() const { return m_inEndpoint; }
    quint8 outEndpoint() const { return m_outEndpoint; }

private:
    void writePacket(quint64 urbId, char type, quint8 endpoint, qint64 usec, int status, quint32 urbLength,
                     const QByteArray &data);
    bool checkWritable(qint64 usec);

    quint16 m_bus;
    quint8 m_address;
    quint8 m_inEndpoint;
    quint8 m_outEndpoint;
    pcap *m_pcap = nullptr;
    pcap_dumper *m_dumper = nullptr;
    QString m_fileName;
    QString m_error;
    struct cPendingOutput
    {
        quint64 urbId;
        quint32 length;
    };
    QQueue<cPendingOutput> m_pendingOut;
    quint64 m_nextOutUrb = 0;
    bool m_inSubmitted = false;
    quint32 m_inBufferLength = 0;
};
