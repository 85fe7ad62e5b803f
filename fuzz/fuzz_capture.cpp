// The capture readers behind the emulator's --replay, chosen by the file's content as the emulator
// chooses them (pcap, pcapng, hid-recorder text): the input is the capture file, read with and
// without a device filter.
#include "CaptureFormat.h"
#include "FuzzApplication.h"

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

    QString error;
    const std::unique_ptr<ICaptureReader> reader = CaptureFormat::read(fileName, QString(), &error);
    if (reader) {
        // Every device the capture names can be asked for on its own, and holds reports.
        for (const QString &device : reader->devices()) {
            const std::unique_ptr<ICaptureReader> filtered = CaptureFormat::read(fileName, device, &error);
            if (!filtered || filtered->reports().isEmpty())
                abort();
        }
    }
    CaptureFormat::read(fileName, QStringLiteral("1.5"), &error);
    return 0;
}
