#include "cFileSink.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool writesInPlace(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.isSymLink() || (info.exists() && !info.isFile());
}

} // namespace

cFileSink::cFileSink(const QString &what, QIODevice::OpenMode mode)
    : m_what(what)
    , m_mode(mode)
{ }

bool cFileSink::open(const QString &fileName)
{
    m_fileName = fileName;
    if (writesInPlace(fileName))
        m_file.reset(new QFile(fileName));
    else
        m_file.reset(new QSaveFile(fileName));
    if (!m_file->open(m_mode)) {
        fail(fileError());
        return false;
    }
    return begin() && check();
}

bool cFileSink::close()
{
    if (!isOpen())
        return m_error.isEmpty();
    end();
    const bool whole = check();
    // A QSaveFile takes its name only when whole and everything reached it; a file written in
    // place is flushed and closed, for what the device took is all there is.
    bool written = false;
    if (auto *saved = qobject_cast<QSaveFile *>(m_file.data())) {
        if (!whole)
            saved->cancelWriting();
        written = saved->commit();
    } else {
        written = m_file->flush();
        m_file->close();
        written = written && m_file->error() == QFileDevice::NoError;
    }
    if (!written)
        fail(fileError());
    return m_error.isEmpty();
}

void cFileSink::finish(const cTraceEvent &)
{
    close();
}

void cFileSink::fail(const QString &error)
{
    if (m_error.isEmpty())
        m_error = error;
}

bool cFileSink::check()
{
    if (m_file && m_file->error() != QFileDevice::NoError)
        fail(fileError());
    return m_error.isEmpty();
}

QString cFileSink::fileError() const
{
    return QStringLiteral("cannot write %1 %2: %3").arg(m_what, m_fileName, m_file->errorString());
}
