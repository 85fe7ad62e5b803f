#pragma once
#include "cTransportTap.h"

// The part of every transport of ours that is not a template, so that a tap can be found from the
// contract's interface alone.
class cTappedTransport
{
public:
    cTransportTap &tap() { return m_tap; }

protected:
    explicit cTappedTransport(IAbstractTransport *transport)
        : m_tap(transport)
    { }
    virtual ~cTappedTransport() = default;

private:
    cTransportTap m_tap;
};
