#include "CaptureFormat.h"

#include "cCaptureReader.h"
#include "cCaptureSpool.h"
#include "cHidRecorderReader.h"

std::unique_ptr<ICaptureReader> CaptureFormat::read(const QString &fileName, const QString &deviceFilter,
                                                    QString *error)
{
    auto file = std::make_shared<cCaptureSpool>();
    if (!file->open(fileName)) {
        *error = file->errorString();
        return nullptr;
    }
    std::unique_ptr<ICaptureReader> reader;
#ifdef Q71_HAVE_PCAP
    if (cCaptureReader::isPcap(file->head(4)))
        reader.reset(new cCaptureReader);
    else
#endif
        reader.reset(new cHidRecorderReader);
    if (reader->read(std::move(file), deviceFilter))
        return reader;
    *error = reader->errorString();
    return nullptr;
}
