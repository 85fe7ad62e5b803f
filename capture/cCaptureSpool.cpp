#include "cCaptureSpool.h"

#include <QFile>

#include <cstdio>

bool cCaptureSpool::open(const QString &fileName)
{
    m_name = fileName;
    m_error.clear();
    m_copy.reset();
    // A pipe or a FIFO gives its bytes once, and a reader looks at a file's head before it reads it.
    // A file that cannot be opened is left to the reader, which says why.
    const bool standardInput = fileName == QLatin1String("-");
    QFile in(fileName);
    if (!standardInput && (!in.open(QIODevice::ReadOnly) || !in.isSequential()))
        return true;
    m_copy.reset(new QTemporaryFile);
    bool copied = (!standardInput || in.open(stdin, QIODevice::ReadOnly)) && m_copy->open();
    while (copied) {
        const QByteArray chunk = in.read(64 * 1024);
        copied = in.error() == QFileDevice::NoError && m_copy->write(chunk) == chunk.size();
        if (chunk.isEmpty())
            break;
    }
    if (copied && m_copy->flush())
        return true;
    m_error
        = QStringLiteral("cannot read capture %1: %2")
              .arg(fileName, in.error() != QFileDevice::NoError ? in.errorString() : m_copy->errorString());
    m_copy.reset();
    return false;
}

QString cCaptureSpool::path() const
{
    return m_copy ? m_copy->fileName() : m_name;
}

QByteArray cCaptureSpool::head(int count) const
{
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.read(count) : QByteArray();
}
