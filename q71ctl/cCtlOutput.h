#pragma once
#include <QObject>

class QSocketNotifier;

// q71ctl's standard output, written straight to the descriptor so that each line reaches a pipe
// the moment it is written, and whose reader going away ends a monitor instead of killing it:
// SIGPIPE is ignored, a write that finds no reader says so, and a pipe is watched so that its
// reader leaving is noticed even when nothing is being written.
class cCtlOutput : public QObject
{
    Q_OBJECT
public:
    explicit cCtlOutput(QObject *parent = nullptr);

    // The whole of `text`, at once; false when nobody reads it any more.
    bool write(const QByteArray &text);

signals:
    // Nobody reads the output any more; emitted once.
    void closed();

private:
    void onPipeEvent();
    void close();

    QSocketNotifier *m_pipe = nullptr;
    bool m_closed = false;
};
