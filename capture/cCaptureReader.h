#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
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
//
// A capture is read twice and never held, so that a capture of millions of reports takes no more
// memory than one of ten: read() checks the whole file and finds its devices, then rewind() and
// next() hand the reports over one at a time.
class cCaptureReader
{
public:
    // Reads the whole file ("-": standard input, kept in a temporary file for the second
    // reading). With a filter ("BUS.ADDRESS", e.g. "1.5") only that device's reports
    // count, and a filter that names no device of the capture is an error. Without one the
    // reports of every device count: when devices() lists more than one, the caller asks for
    // a filter. False, with errorString(), for a file that is not a capture of these kinds, is cut
    // short or cannot be read.
    bool read(const QString &fileName, const QString &deviceFilter = QString());
    QString errorString() const { return m_error; }

    int linkType() const { return m_linkType; }
    // The devices that delivered interrupt IN data, as "BUS.ADDRESS", ordered by bus then address,
    // whatever the filter.
    QStringList devices() const { return m_devices; }
    // What read() found of the reports that count: how many, and the latest time of one after
    // the first.
    qint64 reportCount() const { return m_reportCount; }
    qint64 lengthUsec() const { return m_lengthUsec; }

    // Opens the file read() checked again, for next(), from its first report on.
    bool rewind();
    // The next report that counts; false at the end, and when the file cannot be read again as
    // read() read it (errorString() then says why).
    bool next(cReplayedReport *report);
    // Every report that counts at once, for small captures.
    QVector<cReplayedReport> reports();

    static bool parseDevice(const QString &text, int *bus, int *address);
    static QString deviceName(int bus, int address);

private:
    struct cPcapClose
    {
        void operator()(pcap *capture) const;
    };
    using cPcapHandle = std::unique_ptr<pcap, cPcapClose>;

    void clear();
    // Each sets errorString() when it fails.
    cPcapHandle open(const QString &fileName);
    // The file libpcap reads for `fileName`: standard input's copy for "-".
    bool spoolStandardInput();
    QString pathOf(const QString &fileName) const;
    bool collect(pcap *capture);
    // 1 with the next input report of any device, 0 at the end of the file, -1 on an error.
    int readReport(pcap *capture, cReplayedReport *report);
    bool counts(const cReplayedReport &report) const;

    QString m_error;
    QString m_fileName;
    int m_linkType = -1;
    QStringList m_devices;
    int m_filterBus = -1;
    int m_filterAddress = -1;
    qint64 m_reportCount = 0;
    qint64 m_firstUsec = 0;
    qint64 m_lengthUsec = 0;
    cPcapHandle m_stream;
    std::unique_ptr<QTemporaryFile> m_spool;
    qint64 m_packetNumber = 0;
};
