#pragma once
#include "cCaptureSpool.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

// One input report taken from a capture: the data a device delivered.
struct cReplayedReport
{
    qint64 usec = 0; // the capture's time stamp in microseconds: since the epoch, or the recording's start
    // From the capture's first packet of the devices that count (ICaptureReader::firstPacketUsec()).
    // Negative only when the capture's clock steps back, which merged captures can do.
    qint64 usecFromFirst = 0;
    QByteArray data;
    // USB bus and address; a hid-recorder recording has no bus, and its device number as address.
    int bus = 0;
    int address = 0;
};

// A capture whose input reports can be replayed, whatever its format. A capture is read twice and
// never held, so that one of millions of reports takes no more memory than one of ten: read()
// checks the whole file and finds its devices, then rewind() and next() hand the reports over one
// at a time.
class ICaptureReader
{
public:
    virtual ~ICaptureReader() = default;

    // Reads the whole capture. With a filter (its spelling is the format's) only that device's
    // reports count, and a filter that names no device of the capture is an error; without one
    // the reports of every device count. False, with errorString(), for a file that is not of the
    // reader's format, is cut short or cannot be read.
    virtual bool read(std::shared_ptr<const cCaptureSpool> file, const QString &deviceFilter) = 0;
    // The same for a file name ("-": standard input, kept in a temporary file for the second
    // reading); the readers take a file that could not be opened as one that could not be read.
    bool read(const QString &fileName, const QString &deviceFilter = QString())
    {
        auto file = std::make_shared<cCaptureSpool>();
        file->open(fileName);
        return read(std::move(file), deviceFilter);
    }
    virtual QString errorString() const = 0;

    // The devices that delivered input, as the filter names them, whatever the filter.
    virtual QStringList devices() const = 0;
    // What read() found of the reports that count: how many, and the latest time of one after the
    // first packet.
    virtual qint64 reportCount() const = 0;
    virtual qint64 lengthUsec() const = 0;
    // The time replay counts from: the capture's first packet of a device that counts, in the
    // units of cReplayedReport::usec.
    virtual qint64 firstPacketUsec() const = 0;

    // Opens the file read() checked again, for next(), from its first report on.
    virtual bool rewind() = 0;
    // The next report that counts; false at the end, and when the file cannot be read again as
    // read() read it (errorString() then says why).
    virtual bool next(cReplayedReport *report) = 0;

    // Every report that counts at once, for small captures.
    QVector<cReplayedReport> reports()
    {
        QVector<cReplayedReport> all;
        cReplayedReport report;
        if (rewind()) {
            while (next(&report))
                all.append(report);
        }
        return all;
    }

protected:
    // How a filter that names no device of the capture is told what there is: "devices: 1.3, 2.7",
    // or `none` when no device delivered input.
    static QString heldDevices(const QStringList &devices, const QString &none)
    {
        return devices.isEmpty() ? none : QStringLiteral("devices: ") + devices.join(QStringLiteral(", "));
    }
};
