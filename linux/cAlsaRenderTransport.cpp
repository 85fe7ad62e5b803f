#include "cAlsaRenderTransport.h"

cAlsaRenderTransport::cAlsaRenderTransport(const cJsonValue &info)
    : cRenderWithoutModels<cTransportBase<IAudioRenderTransport>>(info)
{ }
