#include "cSimPlainTransport.h"

cSimPlainTransport::cSimPlainTransport(const cJsonValue &info)
    : cSimTransportBase<IAbstractTransport>(info)
{ }
