#pragma once
#include "ICaptureReader.h"

#include <QFile>
#include <QMap>

#include <memory>

// Reads the text recordings of hid-tools' hid-recorder, as support receives them from users:
//
//   # comment
//   D: 0                       the device the lines below are about
//   R: 33 06 00 ff 09 01 ...   its report descriptor: length, then the bytes in hex, on this
//   a1 01 85 01 ...            line and, where a long one was wrapped, on lines of bytes below it
//   N: name                    its name, P: its physical path, I: bus vendor product (hex)
//   E: 0.404000 5 02 01 0a 00 00   an input report at seconds.microseconds from the recording's
//                              start: length, then the bytes, with the report id when the
//                              descriptor has ids
//
// hid-tools' recorder writes the lines so, a device's header before its events, and D: lines only when
// it records several devices; a file may begin with a UTF-8 byte order mark and end its lines
// with CR LF. A file without D: lines is about device 0. Devices are named and filtered by that number. Times
// count from the recording's start, so replay counts from time 0, not from the first report.
class cHidRecorderReader : public ICaptureReader
{
public:
    using ICaptureReader::read;
    bool read(std::shared_ptr<const cCaptureSpool> file, const QString &deviceFilter) override;
    // "FILE:LINE: what is wrong" for a malformed line.
    QString errorString() const override { return m_error; }

    // In number order.
    QStringList devices() const override;
    qint64 reportCount() const override { return m_reportCount; }
    qint64 lengthUsec() const override { return m_lengthUsec; }
    qint64 firstPacketUsec() const override { return 0; }

    bool rewind() override;
    bool next(cReplayedReport *report) override;

    // The R: line of the device replayed (the filter's, else the only one with reports); empty
    // when it has none.
    QByteArray reportDescriptor() const;
    // The N: line of that device.
    QString deviceName() const;

private:
    struct cDevice
    {
        QByteArray descriptor;
        QString name;
        bool hasReports = false;
    };

    // Forgets what read() found, but not why it failed.
    void clear();
    // 1 with the next E: line's report, 0 at the end of the file, -1 on a malformed line or a read
    // error. Header lines update m_device and m_devices.
    int readLine(cReplayedReport *report);
    bool parseLine(const QByteArray &line, cReplayedReport *report, bool *isReport);
    // An R: line, and the lines of bytes that continue it until it holds the bytes it announces.
    bool beginDescriptor(const QList<QByteArray> &tokens);
    bool continueDescriptor(const QList<QByteArray> &tokens);
    // False, with errorString(), when another line or the end came before all of them.
    bool descriptorComplete();
    bool fail(const QString &why);
    int replayedDevice() const;

    QString m_error;
    std::shared_ptr<const cCaptureSpool> m_file;
    QFile m_stream;
    int m_lineNumber = 0;
    int m_device = 0; // of the last D: line
    // The R: line being read, and how many of the bytes it announces are still to come.
    int m_descriptorLine = 0;
    int m_descriptorLength = 0;
    int m_descriptorMissing = 0;
    int m_filter = -1;
    QMap<int, cDevice> m_devices;
    qint64 m_reportCount = 0;
    qint64 m_lengthUsec = 0;
};
