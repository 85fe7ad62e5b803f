#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

struct pcap;

// One input report taken from a capture: the data of an interrupt IN completion.
struct cReplayedReport
{
    qint64 usec = 0; // the capture's time stamp, microseconds since the epoch
    // From the first report kept (after the device filter). Negative only when the capture's
    // clock steps back, which merged captures can do.
    qint64 usecFromFirst = 0;
    QByteArray data;
    int bus = 0;
    int address = 0;
};

// Reads the input reports of a USB capture: Linux usbmon captures (LINKTYPE_USB_LINUX, 189,
// and LINKTYPE_USB_LINUX_MMAPPED, 220) and Windows USBPcap captures (LINKTYPE_USBPCAP, 249), in
// pcap or pcapng files as Wireshark, tcpdump and USBPcap write them. Only the data that a device
// delivered on an interrupt IN endpoint counts; submissions, OUT, control, bulk and isochronous
// traffic are passed over.
class cCaptureReader
{
public:
    // Reads the whole file. With a filter ("BUS.ADDRESS", e.g. "1.5") only that device's reports
    // are kept, and a filter that names no device of the capture is an error. Without one the
    // reports of every device are kept: when devices() lists more than one, the caller asks for
    // a filter. False, with errorString(), for a file that is not a capture of these kinds, is cut
    // short or cannot be read.
    bool read(const QString &fileName, const QString &deviceFilter = QString());
    QString errorString() const { return m_error; }

    int linkType() const { return m_linkType; }
    QVector<cReplayedReport> reports() const { return m_reports; }
    // The devices that delivered interrupt IN data, as "BUS.ADDRESS", ordered by bus then address,
    // whatever the filter.
    QStringList devices() const { return m_devices; }

    static bool parseDevice(const QString &text, int *bus, int *address);
    static QString deviceName(int bus, int address);

private:
    struct cPcapClose
    {
        void operator()(pcap *capture) const;
    };

    void clear();
    // The steps of read(). Each sets errorString() when it fails.
    std::unique_ptr<pcap, cPcapClose> open(const QString &fileName);
    bool collect(pcap *capture, const QString &fileName, QVector<cReplayedReport> *found);
    bool filterDevice(QVector<cReplayedReport> *reports, const QString &fileName, int bus, int address);

    QString m_error;
    int m_linkType = -1;
    QVector<cReplayedReport> m_reports;
    QStringList m_devices;
};
