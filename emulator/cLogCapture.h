#pragma once
#include <QString>
#include <QtGlobal>

class cTrace;

// While it exists, every Qt message of the process (the plugin's failure lines above all) becomes
// a "log" event of the trace instead of a line on standard error; the program's own warnings go
// to standard error as well (StderrLog). Messages are single-threaded
// here: the emulator runs everything on its main thread.
class cLogCapture
{
public:
    // The framework's reasons for a failed call ("nexaro.services" warnings) are shown only when
    // `showFramework`; the summary counts them either way.
    cLogCapture(cTrace &trace, bool showFramework);
    ~cLogCapture();
    cLogCapture(const cLogCapture &) = delete;
    cLogCapture &operator=(const cLogCapture &) = delete;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);

    cTrace &m_trace;
    QtMessageHandler m_previous;
};
