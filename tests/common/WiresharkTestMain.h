#pragma once
#include <QtTest>

#include <algorithm>

// Checks that need one of Wireshark's tools (tshark, text2pcap) are the test functions whose names
// start with "wireshark". QtTest counts a skipped function as passed and ctest reads only the exit
// code, so such checks run as a ctest test of their own: a program whose main is
// Q71_WIRESHARK_TEST_MAIN runs them alone when given --wireshark, and then exits with
// g_skipExitCode (ctest's SKIP_RETURN_CODE) when a tool was missing and nothing failed. Without
// --wireshark it runs every other function. Functions named on the command line run as named.

constexpr int g_skipExitCode = 77;
inline bool g_wiresharkToolMissing = false;

// The tool's path, or empty (and the run counts as skipped) when it is not installed.
inline QString wiresharkTool(const char *name)
{
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
    g_wiresharkToolMissing = g_wiresharkToolMissing || path.isEmpty();
    return path;
}

inline int runWiresharkSplit(QObject *test, int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool wireshark = arguments.removeAll(QStringLiteral("--wireshark")) > 0;
    static const QStringList fixtures = {"initTestCase", "cleanupTestCase", "init", "cleanup"};
    QStringList functions;
    QStringList selected;
    const QMetaObject *meta = test->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QString name = QString::fromLatin1(method.name());
        if (method.access() != QMetaMethod::Private || method.methodType() != QMetaMethod::Slot
            || name.endsWith(QLatin1String("_data")) || fixtures.contains(name))
            continue;
        functions << name;
        if (name.startsWith(QLatin1String("wireshark")) == wireshark)
            selected << name;
    }
    const bool named
        = std::any_of(arguments.cbegin() + 1, arguments.cend(), [&functions](const QString &argument) {
              return functions.contains(argument.section(QLatin1Char(':'), 0, 0));
          });
    if (!named) {
        // With nothing selected QtTest would run every function.
        if (selected.isEmpty())
            return 1;
        arguments << selected;
    }
    const int failures = QTest::qExec(test, arguments);
    return failures == 0 && g_wiresharkToolMissing ? g_skipExitCode : failures;
}

#define Q71_WIRESHARK_TEST_MAIN(TestObject)                                                                  \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        QCoreApplication app(argc, argv);                                                                    \
        TestObject test;                                                                                     \
        return runWiresharkSplit(&test, argc, argv);                                                         \
    }
