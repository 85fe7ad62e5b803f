#include "cTransportTap.h"

#include "IAbstractTransport.h"
#include "cTappedTransport.h"

cTransportTap *cTransportTap::of(IAbstractTransport *transport)
{
    auto *tapped = dynamic_cast<cTappedTransport *>(transport);
    return tapped ? &tapped->tap() : nullptr;
}
