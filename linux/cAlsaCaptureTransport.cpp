#include "cAlsaCaptureTransport.h"

cAlsaCaptureTransport::cAlsaCaptureTransport(const cJsonValue &info)
    : cTransportBase<IAudioCaptureTransport>(info)
{ }
