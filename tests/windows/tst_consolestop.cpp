#include "cSignalStop.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <windows.h>

// The console's control events stop a run on Windows as signals do elsewhere: Ctrl-C is caught as
// SIGINT, told to the event loop of the cSignalStop that watches (the handler runs on a thread of
// Windows' own), and ends the run with the exit code a shell reports for SIGINT. The test needs a
// console to send the event on (CMakeLists.txt gives it one).
class tst_ConsoleStop : public QObject
{
    Q_OBJECT
private slots:
    void ctrlCStopsAsSigint();
};

void tst_ConsoleStop::ctrlCStopsAsSigint()
{
    cSignalStop stop(true);
    QSignalSpy caught(&stop, &cSignalStop::caught);
    QCOMPARE(cSignalStop::caughtSignal(), 0);

    QVERIFY2(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0),
             qPrintable(QStringLiteral("no console to send Ctrl-C on (error %1)").arg(::GetLastError())));
    QTRY_COMPARE(caught.count(), 1);
    QCOMPARE(caught.constFirst().constFirst().toInt(), int(SIGINT));
    QCOMPARE(cSignalStop::caughtSignal(), int(SIGINT));
    QCOMPARE(cSignalStop::exitCode(cSignalStop::caughtSignal()), 130);
}

QTEST_GUILESS_MAIN(tst_ConsoleStop)
#include "tst_consolestop.moc"
