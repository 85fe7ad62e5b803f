// cJsonValue from JSON text, and the comparisons the provider's probe matching rests on. The input
// is two JSON texts separated by the first NUL byte (or one text, compared with itself).
#include "FuzzApplication.h"
#include "cJsonValue.h"

#include <QJsonValue>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const int separator = input.indexOf('\0');
    const cJsonValue a = cJsonValue::fromJson(input.left(separator));
    const cJsonValue b = separator < 0 ? a : cJsonValue::fromJson(input.mid(separator + 1));

    a.containedIn(b);
    b.containedIn(a);
    // Equality is an equivalence whatever the values hold.
    if (!(a == a) || (a == b) != (b == a))
        abort();
    // The text a value writes reads back as the same value, and through Qt's JSON as well.
    const QByteArray text = a.toJson();
    if (!(cJsonValue::fromJson(text) == a) || !(cJsonValue::fromJsonValue(a.toJsonValue()) == a))
        abort();
    // The lookups a probe match makes, with keys and indexes taken from the other value.
    a[b.toString()][0].containedIn(b[a.toString()]);
    a[int(qBound(-2.0, b.toNumber(), 1e6))].containedIn(b);
    return 0;
}
