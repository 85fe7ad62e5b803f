#pragma once
#include <QString>

class IAbstractTransport;

// The kind of a transport, as a device provider tells it: by the interface the object implements,
// never by what its information claims.
namespace TransportKind {
enum TransportKind_t { Hid, Render, Capture, Other };

TransportKind_t of(IAbstractTransport *transport);
QString name(TransportKind_t kind);
inline QString nameOf(IAbstractTransport *transport)
{
    return name(of(transport));
}
} // namespace TransportKind
