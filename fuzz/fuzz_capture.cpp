// The capture reader behind the emulator's --replay: the input is the capture file, read with and
// without a device filter.
#include "FuzzApplication.h"
#include "cCaptureReader.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
QTemporaryDir *g_directory = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::startApplication(argc, argv);
    g_directory = new QTemporaryDir;
    if (!g_directory->isValid())
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString fileName = g_directory->filePath(QStringLiteral("capture"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        abort();
    file.close();

    cCaptureReader reader;
    if (reader.read(fileName)) {
        // Every device the capture names can be asked for on its own, and holds reports.
        for (const QString &device : reader.devices()) {
            cCaptureReader filtered;
            if (!filtered.read(fileName, device) || filtered.reports().isEmpty())
                abort();
        }
    }
    reader.read(fileName, QStringLiteral("1.5"));
    return 0;
}
