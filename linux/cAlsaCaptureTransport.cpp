#include "cAlsaCaptureTransport.h"

cAlsaCaptureTransport::cAlsaCaptureTransport(const cJsonValue &info)
    : cLinuxTransportBase<IAudioCaptureTransport>(info)
{ }
