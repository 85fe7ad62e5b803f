// Prints the host contract as the meta-object system records it, so that a host written
// elsewhere can be checked against the exact names a plugin invokes:
//
//   IAbstractDeviceProvider : QObject, version 1
//       1. createDevice(cAbstractTransportPtr) -> cAbstractDevicePtr; parameters: transport

#include "cContractCatalogue.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMetaEnum>
#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaProperty>
#include <QStringList>
#include <QTextStream>

namespace {

// Qt 6 made QList<QString> and QStringList one type, which Qt 5 keeps apart; the contract is
// printed in Qt 6's spelling, so that one text describes it under either.
QByteArray spelling(QByteArray text)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    text.replace("QList<QString>", "QStringList");
#endif
    return text;
}

// What a caller by name could reach besides the public methods: a signal, a slot, another access.
QByteArray methodKind(const QMetaMethod &method)
{
    static const char *const types[] = {"", "signal ", "slot ", "constructor "};
    static const char *const accesses[] = {"private ", "protected ", ""};
    return QByteArray(accesses[method.access()]) + types[method.methodType()];
}

void printInterface(QTextStream &out, const QMetaObject *meta)
{
    const QMetaObject *base = meta->superClass();
    out << meta->className() << " : " << (base ? base->className() : "-");
    // Only its own class infos: the version a proxy asks for must not be a base interface's.
    for (int i = meta->classInfoOffset(); i < meta->classInfoCount(); ++i)
        out << ", " << meta->classInfo(i).name() << ' ' << meta->classInfo(i).value();
    out << '\n';
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        out << "    " << (i - meta->methodOffset() + 1) << ". " << methodKind(method)
            << spelling(method.methodSignature()) << " -> " << spelling(method.typeName());
        if (method.parameterCount() > 0)
            out << "; parameters: " << method.parameterNames().join(", ");
        out << '\n';
    }
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        out << "    property " << meta->property(i).typeName() << ' ' << meta->property(i).name() << '\n';
    for (int i = meta->enumeratorOffset(); i < meta->enumeratorCount(); ++i)
        out << "    enum " << meta->enumerator(i).name() << '\n';
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q71-contract"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints each interface of the host contract: its class name, base and own class infos, its "
        "operations as normalized signatures with parameter names and result type, and any properties "
        "and enumerators of its own."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("interface"),
                                 QStringLiteral("Interfaces to print (default: all), e.g. IAbstractDevice."),
                                 QStringLiteral("[interface...]"));
    parser.process(app);

    const QList<const QMetaObject *> catalogue = cContractCatalogue::interfaces();
    QList<const QMetaObject *> selected;
    const QStringList wanted = parser.positionalArguments();
    if (wanted.isEmpty())
        selected = catalogue;
    for (const QString &name : wanted) {
        const QMetaObject *found = nullptr;
        for (const QMetaObject *meta : catalogue) {
            if (name == QLatin1String(meta->className()))
                found = meta;
        }
        if (!found) {
            QTextStream(stderr) << "q71-contract: no interface named " << name << '\n';
            return 1;
        }
        selected.append(found);
    }

    QTextStream out(stdout);
    for (qsizetype i = 0; i < selected.size(); ++i) {
        if (i > 0)
            out << '\n';
        printInterface(out, selected.at(i));
    }
    return 0;
}
