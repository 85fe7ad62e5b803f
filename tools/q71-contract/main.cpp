// Prints the host contract as the meta-object system records it, so that a host written
// elsewhere can be checked against the exact names a plugin invokes:
//
//   IAbstractDeviceProvider : QObject, version 1
//       1. createDevice(cAbstractTransportPtr) -> cAbstractDevicePtr; parameters: transport

#include "cContractCatalogue.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMetaMethod>
#include <QMetaObject>
#include <QStringList>
#include <QTextStream>

namespace {

QByteArray classVersion(const QMetaObject *meta)
{
    const int index = meta->indexOfClassInfo("version");
    return index < 0 ? QByteArray("none") : QByteArray(meta->classInfo(index).value());
}

void printInterface(QTextStream &out, const QMetaObject *meta)
{
    const QMetaObject *base = meta->superClass();
    out << meta->className() << " : " << (base ? base->className() : "-") << ", version "
        << classVersion(meta) << '\n';
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        out << "    " << (i - meta->methodOffset() + 1) << ". " << method.methodSignature() << " -> "
            << method.typeName();
        if (method.parameterCount() > 0)
            out << "; parameters: " << method.parameterNames().join(", ");
        out << '\n';
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q71-contract"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints each interface of the host contract: its class name, base, \"version\" class info "
        "and operations as normalized signatures with parameter names and result type."));
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
