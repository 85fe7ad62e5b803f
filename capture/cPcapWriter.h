#pragma once
#include <QByteArray>
#include <QHash>
#include <QQueue>
#include <QString>

#include <cstdio>

struct pcap;
struct pcap_dumper;

// What a host reads of a HID device as it is plugged, for a capture to begin with.
struct cUsbDeviceDescriptors
{
    QByteArray device; // 18 bytes
    QByteArray configuration; // wTotalLength bytes, interfaces and endpoints included
    QByteArray hidReport; // the report descriptor of interface hidInterface
    quint8 hidInterface = 0;
};

// Records HID traffic as a Linux usbmon capture (LINKTYPE_USB_LINUX_MMAPPED) of devices on one bus,
// each with its own address and its two interrupt endpoints, so that Wireshark and tshark show the
// emulated headsets' reports the way they show real ones.
//
// A device's traffic starts with writeEnumeration(): the control transfers on endpoint 0 with which
// a host reads its descriptors and configures it. Without them Wireshark knows neither the
// interface's class nor the reports' layout and shows the reports as bare data.
//
// Each output report is an interrupt OUT URB: a submission 'S' that carries the report, then a
// completion 'C' without data. Input reports arrive on one interrupt IN URB per device that is
// always pending, as a HID driver keeps it: the completion 'C' carries the report and the driver's
// resubmission 'S' follows at the same instant. The URB's first submission is written with the
// device's first input report.
//
// Times are microseconds, since the epoch or since the start of a virtual clock; the caller
// passes them in the order the events happened.
class cPcapWriter
{
public:
    explicit cPcapWriter(quint16 bus = 1, quint8 inEndpoint = 0x81, quint8 outEndpoint = 0x02);
    ~cPcapWriter();
    cPcapWriter(const cPcapWriter &) = delete;
    cPcapWriter &operator=(const cPcapWriter &) = delete;

    // Creates or truncates the file and writes the capture's file header.
    bool open(const QString &fileName);
    // Writes the capture to `stream`, which it takes over and closes, and names it `name` in its
    // messages. A null stream is one that could not be opened, errno saying why.
    bool open(std::FILE *stream, const QString &name);
    bool isOpen() const { return m_dumper != nullptr; }
    // Flushes and closes; false when the data could not all be written.
    bool close();
    bool flush();
    QString errorString() const { return m_error; }

    // A device plugged at `address`: GET_DESCRIPTOR of its device and configuration descriptors,
    // SET_CONFIGURATION 1 and GET_DESCRIPTOR of the HID report descriptor, each transfer complete at
    // once. Whatever the address carried before (transfers in flight of a device unplugged since)
    // is forgotten, as a bus forgets it. The device's packets name `bus`, 0 for the writer's own;
    // devices are told apart by address alone, whatever their bus.
    bool writeEnumeration(qint64 usec, quint8 address, const cUsbDeviceDescriptors &descriptors,
                          quint16 bus = 0);

    // One output report whose transfer completes at once.
    bool writeOutput(qint64 usec, quint8 address, const QByteArray &report);
    // The two halves of an output transfer, for callers that see the completion later. Completions
    // pair with the device's submissions in order; a completion with no submission waiting is
    // refused.
    bool submitOutput(qint64 usec, quint8 address, const QByteArray &report);
    bool completeOutput(qint64 usec, quint8 address);
    int pendingOutputs(quint8 address) const;

    bool writeInput(qint64 usec, quint8 address, const QByteArray &report);

private:
    struct cUrb
    {
        quint64 id;
        char type;
        quint8 address;
        quint8 endpoint;
        int status;
        quint32 length;
        const quint8 *setup;
    };
    struct cDeviceState
    {
        struct cPendingOutput
        {
            quint64 urbId;
            quint32 length;
        };
        QQueue<cPendingOutput> pendingOut;
        quint16 bus = 0; // 0: the writer's
        bool inSubmitted = false;
        quint32 inBufferLength = 0;
    };

    void writePacket(const cUrb &urb, qint64 usec, const QByteArray &data);
    void writeControlIn(qint64 usec, quint8 address, quint8 requestType, quint16 value, quint16 index,
                        const QByteArray &data);
    void writeControlOut(qint64 usec, quint8 address, quint8 request, quint16 value);
    bool checkWritable(qint64 usec);

    quint16 m_bus;
    quint8 m_inEndpoint;
    quint8 m_outEndpoint;
    pcap *m_pcap = nullptr;
    pcap_dumper *m_dumper = nullptr;
    QString m_fileName;
    QString m_error;
    QHash<quint8, cDeviceState> m_devices;
    quint64 m_nextOutUrb = 0;
};
