// The names that cross by name: a call by name carries each argument and result under the type name
// the contract spells, and the host can only match and copy it once that name resolves to the type
// behind it. contracts.golden pins the contract's operations themselves.

#include "cContractCatalogue.h"
#include "cHostMetaTypes.h"

#include <QtTest>

namespace {

// The name of the type that a name resolves to, or empty. Neither this nor QMetaType::name()
// registers anything, so only the host's registration can make a name resolve here.
QByteArray resolvedTypeName(const QByteArray &name)
{
    const int id = metaTypeIdByName(name);
    return id == QMetaType::UnknownType ? QByteArray() : QByteArray(QMetaType(id).name());
}

// References and pointers pass the caller's own object, so nothing is copied or looked up by name.
// Qt's containers Qt registers on first use rather than by name (Qt 5 knows "QList<int>" only once
// something instantiated it), and Qt::HANDLE is a Windows handle that the host never passes.
bool crossesByName(const QByteArray &name)
{
    return !name.endsWith('&') && !name.endsWith('*') && !name.startsWith("QList<") && name != "Qt::HANDLE"
        && name != "void";
}

} // namespace

class tst_Contracts : public QObject
{
    Q_OBJECT
private slots:
    // One row per type name that an operation of the catalogue takes or returns, with the name of the
    // C++ type that moc recorded behind it: Qt 6 records the type where it is complete, so that a name
    // bound to the wrong type fails; Qt 5 records only the name.
    void contractTypeNamesResolve_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("recordedType");
        QSet<QByteArray> seen;
        for (const QMetaObject *meta : cContractCatalogue::interfaces()) {
            for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
                const QMetaMethod method = meta->method(i);
                for (int p = -1; p < method.parameterCount(); ++p) {
                    const QByteArray name
                        = p < 0 ? QByteArray(method.typeName()) : method.parameterTypes().at(p);
                    if (!crossesByName(name) || seen.contains(name))
                        continue;
                    seen.insert(name);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
                    const QMetaType recorded = p < 0 ? method.returnMetaType() : method.parameterMetaType(p);
                    QTest::newRow(name.constData()) << name << QByteArray(recorded.name());
#else
                    QTest::newRow(name.constData()) << name << QByteArray();
#endif
                }
            }
        }
    }

    void contractTypeNamesResolve()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, recordedType);

        registerHostMetaTypes();
        const QByteArray resolved = resolvedTypeName(name);
        QVERIFY2(!resolved.isEmpty(), name.constData());
        if (!recordedType.isEmpty())
            QCOMPARE(resolved, recordedType);

        // A second registration, as every host entry point may make, keeps the name where it was.
        registerHostMetaTypes();
        QCOMPARE(resolvedTypeName(name), resolved);
    }
};

QTEST_GUILESS_MAIN(tst_Contracts)

#include "tst_contracts.moc"
