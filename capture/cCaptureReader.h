#pragma once
#include "ICaptureReader.h"

#include <memory>

struct pcap;

// Reads the input reports of a USB capture: Linux usbmon captures (LINKTYPE_USB_LINUX, 189,
// and LINKTYPE_USB_LINUX_MMAPPED, 220) and Windows USBPcap captures (LINKTYPE_USBPCAP, 249), in
// pcap or pcapng files as Wireshark, tcpdump and USBPcap write them. Only the data that a device
// delivered on an interrupt IN endpoint is replayed; submissions, OUT, control, bulk and
// isochronous traffic are passed over. Replay counts time from the first interrupt transfer, IN or
// OUT, of a device that counts: the host starts a device with its first write or poll, while the
// control transfers of enumeration come before the host runs it at all.
//
// Devices are named and filtered as "BUS.ADDRESS", e.g. "1.5".
class cCaptureReader : public ICaptureReader
{
public:
    using ICaptureReader::read;
    bool read(std::shared_ptr<const cCaptureSpool> file, const QString &deviceFilter) override;
    QString errorString() const override { return m_error; }

    int linkType() const { return m_linkType; }
    // Ordered by bus then address.
    QStringList devices() const override { return m_devices; }
    qint64 reportCount() const override { return m_reportCount; }
    qint64 lengthUsec() const override { return m_lengthUsec; }
    qint64 firstPacketUsec() const override { return m_firstUsec; }

    bool rewind() override;
    bool next(cReplayedReport *report) override;

    static bool parseDevice(const QString &text, int *bus, int *address);
    static QString deviceName(int bus, int address);
    // Whether `head`, a file's first bytes, begin a pcap or pcapng file.
    static bool isPcap(const QByteArray &head);

private:
    struct cPcapClose
    {
        void operator()(pcap *capture) const;
    };
    using cPcapHandle = std::unique_ptr<pcap, cPcapClose>;

    // Forgets what read() found, but not why it failed.
    void clear();
    // Each sets errorString() when it fails.
    cPcapHandle open();
    bool collect(pcap *capture);
    // 1 with the next interrupt transfer of any device, 0 at the end of the file, -1 on an error.
    // `report` holds the bus, address and time of every one, and its data when it is an input
    // report (*isReport).
    int readPacket(pcap *capture, cReplayedReport *report, bool *isReport);
    bool counts(const cReplayedReport &report) const;

    QString m_error;
    std::shared_ptr<const cCaptureSpool> m_file;
    int m_linkType = -1;
    QStringList m_devices;
    int m_filterBus = -1;
    int m_filterAddress = -1;
    qint64 m_reportCount = 0;
    qint64 m_firstUsec = 0;
    qint64 m_lengthUsec = 0;
    cPcapHandle m_stream;
    qint64 m_packetNumber = 0;
};
