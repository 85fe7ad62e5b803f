#include "cAlsaRenderTransport.h"

cAlsaRenderTransport::cAlsaRenderTransport(const cJsonValue &info)
    : cLinuxTransportBase<IAudioRenderTransport>(info)
{ }
