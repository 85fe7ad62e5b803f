#pragma once
// What the capture tests share: files written and read, and reports in comparable lines.
#include "ICaptureReader.h"
#include "cCaptureReader.h"
#include "cToolRun.h"

#include <QStringList>

inline QString dataFile(const char *name)
{
    return QStringLiteral(Q71_CAPTURE_DATA_DIR "/") + QLatin1String(name);
}

// The data and timing that replay depends on, in one comparable line per report.
inline QStringList describe(const QVector<cReplayedReport> &reports)
{
    QStringList lines;
    for (const cReplayedReport &report : reports)
        lines << QStringLiteral("%1 +%2 %3")
                     .arg(cCaptureReader::deviceName(report.bus, report.address))
                     .arg(report.usecFromFirst)
                     .arg(QString::fromLatin1(report.data.toHex(' ')));
    return lines;
}
