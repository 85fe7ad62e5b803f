#pragma once
#include "ICaptureReader.h"

#include <QString>

#include <memory>

// The captures replay reads, told apart by their content rather than their file name: pcap and
// pcapng files by their magic numbers, anything else as a hid-recorder text recording.
namespace CaptureFormat {

// The reader of `fileName` ("-": standard input), read() with `deviceFilter` already; null, with
// `error`, when the file cannot be read as the capture its content says it is.
std::unique_ptr<ICaptureReader> read(const QString &fileName, const QString &deviceFilter, QString *error);

} // namespace CaptureFormat
