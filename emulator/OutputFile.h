#pragma once
#include <QFileInfo>
#include <QString>

namespace OutputFile {

// The program's output files are written under a temporary name and renamed when whole, so that a
// run that stops early leaves an existing file as it was. A rename puts a regular file where the
// name was, though: a device node, a FIFO or a symbolic link given as the output is written in
// place instead (as root, `--pcap /dev/full` would otherwise replace the device).
inline bool writesInPlace(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.isSymLink() || (info.exists() && !info.isFile());
}

} // namespace OutputFile
