#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

#include <memory>

// The file a capture is read from, as many times as its reader needs: the named file itself, or for
// "-", a pipe or a FIFO, which can be read only once, a copy of it.
class cCaptureSpool
{
public:
    // False, with errorString(), when standard input cannot be copied.
    bool open(const QString &fileName);
    QString errorString() const { return m_error; }

    // As the user named it, for messages.
    QString name() const { return m_name; }
    // What to open.
    QString path() const;
    // The file's first `count` bytes (fewer for a shorter file), which tell its format.
    QByteArray head(int count) const;

private:
    QString m_name;
    QString m_error;
    std::unique_ptr<QTemporaryFile> m_copy;
};
