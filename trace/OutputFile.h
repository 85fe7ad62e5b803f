#pragma once
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopedPointer>
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

// Opens `fileName` into `file`, as a QSaveFile or as a QFile where it is written in place; false,
// with the file's errorString(), when it cannot be.
inline bool open(QScopedPointer<QFileDevice> *file, const QString &fileName,
                 QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    if (writesInPlace(fileName))
        file->reset(new QFile(fileName));
    else
        file->reset(new QSaveFile(fileName));
    return (*file)->open(mode);
}

// Ends what open() began. A QSaveFile takes its name only when `whole` and everything was written,
// and is dropped otherwise; a file written in place is flushed and closed, for what the device
// took is all there is. False, with the file's errorString(), when the data could not all be
// written.
inline bool close(QFileDevice *file, bool whole)
{
    if (auto *saved = qobject_cast<QSaveFile *>(file)) {
        if (!whole)
            saved->cancelWriting();
        return saved->commit();
    }
    const bool flushed = file->flush();
    file->close();
    return flushed && file->error() == QFileDevice::NoError;
}

} // namespace OutputFile
