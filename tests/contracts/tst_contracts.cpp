// The host contract as the meta-object system records it: a host finds every operation by its
// normalized signature, so a renamed parameter type, a reordered operation or a wrong base breaks
// calls by name without any compiler noticing.

#include "IAbstractTransport.h"
#include "IMacroEditor.h"
#include "cContractCatalogue.h"
#include "cHostMetaTypes.h"

#include "IAbstractDevBus.h"
#include "IAbstractDevice.h"
#include "IAbstractDeviceProvider.h"
#include "IAssignment.h"
#include "IAssignments.h"
#include "IAudioCaptureTransport.h"
#include "IAudioDevice.h"
#include "IAudioDeviceMgr.h"
#include "IAudioFeedbackLoopModel.h"
#include "IAudioPlayer.h"
#include "IAudioRenderTransport.h"
#include "IAudioTransport.h"
#include "IBacklightColor.h"
#include "IChannelAttenuationModel.h"
#include "IChannelMixerModel.h"
#include "IDPCMgr.h"
#include "IDeferredProcedureCall.h"
#include "IDevMgr.h"
#include "IDevMgrLow.h"
#include "IDolbyModel.h"
#include "IEqualizerModel.h"
#include "IGainModel.h"
#include "IGenericAssignment.h"
#include "IHidTransport.h"
#include "IMacro.h"
#include "IMacroType.h"
#include "IMacroTypeMgr.h"
#include "IMainApp.h"
#include "IMicrophoneModel.h"
#include "INativeAppSupport.h"
#include "IOnboardProfile.h"
#include "IOnboardProfiles.h"
#include "IPlayState.h"
#include "IProfile.h"
#include "IProfileBacklight.h"
#include "IProfileMgr.h"
#include "IProfiler.h"
#include "IProfilerDevice.h"
#include "ISBVMModel.h"
#include "ISidetoneModel.h"
#include "ISimInput.h"
#include "IVolumeModel.h"
#include "cJsonValue.h"

#include <QDomElement>
#include <QMetaMethod>
#include <QWidget>
#include <QtTest>

namespace {

// One interface: its meta-object, the base it must derive from and its own operations in
// declaration order, each as "result signature parameterNames". Types are written as the contract
// names them; Qt's normalisation turns both sides into its own spelling (quint32 becomes uint,
// QList<QString> becomes QStringList under Qt 6), which is also what a caller by name goes through.
struct InterfaceRow
{
    const QMetaObject *meta;
    const QMetaObject *base;
    QList<QByteArray> operations;
};

// Read from contract.txt beside this test, an interface by its class name in the catalogue.
const QList<InterfaceRow> &contractTable()
{
    static const QList<InterfaceRow> table = [] {
        QHash<QByteArray, const QMetaObject *> metaObjects
            = {{"QObject", &QObject::staticMetaObject}, {"QWidget", &QWidget::staticMetaObject}};
        for (const QMetaObject *meta : cContractCatalogue::interfaces())
            metaObjects.insert(meta->className(), meta);

        QList<InterfaceRow> rows;
        QFile file(QStringLiteral(Q71_CONTRACT_TABLE));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            qFatal("cannot read %s", Q71_CONTRACT_TABLE);
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            const QByteArray text = line.trimmed();
            if (text.isEmpty() || text.startsWith('#'))
                continue;
            if (line.startsWith(' ')) {
                rows.last().operations << text;
                continue;
            }
            const QList<QByteArray> names = text.split(':');
            rows.append({metaObjects.value(names.value(0).trimmed()),
                         metaObjects.value(names.value(1).trimmed()),
                         {}});
            if (!rows.last().meta || !rows.last().base)
                qFatal("contract.txt names an unknown interface or base: %s", text.constData());
        }
        return rows;
    }();
    return table;
}

// Built-in types are recorded by moc as type ids, so their names come back in Qt's own spelling
// (quint32 as uint, QList<QString> as QStringList under Qt 6); other types keep the spelling of the
// declaration.
QByteArray builtInSpelling(const QByteArray &type)
{
    const int id = metaTypeIdByName(type);
    if (id == QMetaType::UnknownType || id >= QMetaType::User)
        return type;
    return QByteArray(QMetaType(id).name());
}

QByteArray recordedSignature(const QByteArray &signature)
{
    const int open = signature.indexOf('(');
    const QByteArray arguments = signature.mid(open + 1, signature.size() - open - 2);
    QList<QByteArray> types;
    if (!arguments.isEmpty()) {
        for (const QByteArray &type : arguments.split(','))
            types << builtInSpelling(type);
    }
    return signature.left(open + 1) + types.join(',') + ')';
}

struct Operation
{
    QByteArray result;
    QByteArray signature;
    QList<QByteArray> parameterNames;
};

Operation parseOperation(const QByteArray &text)
{
    const QList<QByteArray> parts = text.split(' ');
    Operation operation;
    operation.result = builtInSpelling(QMetaObject::normalizedType(parts.value(0).constData()));
    operation.signature = QMetaObject::normalizedSignature(parts.value(1).constData());
    if (parts.size() > 2)
        operation.parameterNames = parts.at(2).split(',');
    return operation;
}

} // namespace

class tst_Contracts : public QObject
{
    Q_OBJECT

private slots:
    void catalogueListsEveryInterfaceInOrder();
    void interfaceShape_data();
    void interfaceShape();
    void hostMetaTypeNamesResolve_data();
    void hostMetaTypeNamesResolve();
};

void tst_Contracts::catalogueListsEveryInterfaceInOrder()
{
    QList<QByteArray> expected;
    for (const InterfaceRow &row : contractTable())
        expected << row.meta->className();
    QList<QByteArray> actual;
    for (const QMetaObject *meta : cContractCatalogue::interfaces())
        actual << meta->className();
    QCOMPARE(actual, expected);
}

void tst_Contracts::interfaceShape_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < contractTable().size(); ++i)
        QTest::newRow(contractTable().at(i).meta->className()) << i;
}

void tst_Contracts::interfaceShape()
{
    QFETCH(int, row);
    const InterfaceRow &expected = contractTable().at(row);
    const QMetaObject *meta = expected.meta;

    QVERIFY(meta->superClass());
    QCOMPARE(QByteArray(meta->superClass()->className()), QByteArray(expected.base->className()));
    QCOMPARE(meta->superClass(), expected.base);

    // Exactly one class info of its own, so the version a service proxy asks for is this one and
    // not one inherited from a base interface.
    QCOMPARE(meta->classInfoCount() - meta->classInfoOffset(), 1);
    QCOMPARE(QByteArray(meta->classInfo(meta->classInfoOffset()).name()), QByteArray("version"));
    QCOMPARE(QByteArray(meta->classInfo(meta->classInfoOffset()).value()), QByteArray("1"));
    QCOMPARE(meta->propertyCount(), meta->propertyOffset());
    QCOMPARE(meta->enumeratorCount(), meta->enumeratorOffset());

    QList<Operation> operations;
    for (const QByteArray &text : expected.operations)
        operations << parseOperation(text);

    QList<QByteArray> expectedSignatures;
    for (const Operation &operation : operations)
        expectedSignatures << recordedSignature(operation.signature);
    QList<QByteArray> signatures;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        signatures << meta->method(i).methodSignature();
    QCOMPARE(signatures, expectedSignatures);

    for (int i = 0; i < operations.size(); ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        const Operation &operation = operations.at(i);
        QVERIFY2(method.methodType() == QMetaMethod::Method, operation.signature.constData());
        QVERIFY2(method.access() == QMetaMethod::Public, operation.signature.constData());
        QCOMPARE(QByteArray(method.typeName()), operation.result);
        QCOMPARE(method.parameterNames(), operation.parameterNames);
        // A caller by name writes the contract's spelling; the lookup must land on this operation.
        QCOMPARE(meta->indexOfMethod(operation.signature.constData()), meta->methodOffset() + i);
    }
}

// Rows name the type as spelled in the contract; the row also carries the size and, under Qt 6,
// the meta-type of the C++ type behind the name, so that an alias bound to the wrong type fails.
#define Q71_TYPE_ROW(...) addTypeRow<__VA_ARGS__>(#__VA_ARGS__)

template<typename T> static void addTypeRow(const char *name)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const int expectedId = QMetaType::fromType<T>().id();
#else
    const int expectedId = -1;
#endif
    QTest::newRow(name) << QByteArray(name) << int(sizeof(T)) << expectedId;
}

void tst_Contracts::hostMetaTypeNamesResolve_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("expectedId");

    Q71_TYPE_ROW(bool);
    Q71_TYPE_ROW(QString);
    Q71_TYPE_ROW(cJsonValue);
    Q71_TYPE_ROW(QDomElement);
    Q71_TYPE_ROW(cDpiSettings);
    Q71_TYPE_ROW(cPointerProperties);
    Q71_TYPE_ROW(QWeakPointer<IAbstractDevice>);

    Q71_TYPE_ROW(cAbstractDevicePtr);
    Q71_TYPE_ROW(cAbstractDeviceProviderPtr);
    Q71_TYPE_ROW(cAbstractTransportPtr);
    Q71_TYPE_ROW(cAudioRenderTransportPtr);
    Q71_TYPE_ROW(cAudioCaptureTransportPtr);
    Q71_TYPE_ROW(cAudioDevicePtr);
    Q71_TYPE_ROW(cMicrophoneModelPtr);
    Q71_TYPE_ROW(cProfilerDevicePtr);
    Q71_TYPE_ROW(cAbstractDevBusPtr);
    Q71_TYPE_ROW(cVolumeModelPtr);
    Q71_TYPE_ROW(cDolbyModelPtr);
    Q71_TYPE_ROW(cChannelAttenuationModelPtr);
    Q71_TYPE_ROW(cChannelMixerModelPtr);
    Q71_TYPE_ROW(cGainModelPtr);
    Q71_TYPE_ROW(cEqualizerModelPtr);
    Q71_TYPE_ROW(cSBVMModelPtr);
    Q71_TYPE_ROW(cSidetoneModelPtr);
    Q71_TYPE_ROW(cAudioFeedbackLoopModelPtr);
    Q71_TYPE_ROW(cAudioPlayerPtr);
    Q71_TYPE_ROW(cProfilePtr);
    Q71_TYPE_ROW(cProfileBacklightPtr);
    Q71_TYPE_ROW(cMacroPtr);
    Q71_TYPE_ROW(cMacroTypePtr);
    Q71_TYPE_ROW(cPlayStatePtr);
    Q71_TYPE_ROW(cAssignmentPtr);
    Q71_TYPE_ROW(cAssignmentsPtr);
    Q71_TYPE_ROW(cGenericAssignmentPtr);
    Q71_TYPE_ROW(cOnboardProfilePtr);
    Q71_TYPE_ROW(cDPCPtr);
    Q71_TYPE_ROW(cObjectPtr);

    Q71_TYPE_ROW(cAbstractDeviceList);
    Q71_TYPE_ROW(cAudioDeviceList);
    Q71_TYPE_ROW(cAssignmentPtrList);
    Q71_TYPE_ROW(cGenericAssignmentPtrList);
    Q71_TYPE_ROW(cMacroPtrList);
    Q71_TYPE_ROW(cMacroTypePtrList);
    Q71_TYPE_ROW(cProfilePtrList);
    Q71_TYPE_ROW(cOnboardFunctionList);
    Q71_TYPE_ROW(cHidKeyList);

    Q71_TYPE_ROW(DeviceValidationResult::DeviceValidationResult_t);
    Q71_TYPE_ROW(MicCaps::MicCaps_t);
    Q71_TYPE_ROW(MicLight::MicLight_t);
    Q71_TYPE_ROW(MicMuteNotification::MicMuteNotification_t);
    Q71_TYPE_ROW(GKey::GKey_t);
    Q71_TYPE_ROW(MKey::MKey_t);
    Q71_TYPE_ROW(GenericButton::GenericButton_t);
    Q71_TYPE_ROW(PowerType::PowerType_t);
    Q71_TYPE_ROW(AudioControl::AudioControl_t);
    Q71_TYPE_ROW(AudioControlState::AudioControlState_t);
    Q71_TYPE_ROW(ChannelMask::ChannelMask_t);
    Q71_TYPE_ROW(PlayStateTriggers::PlayStateTriggers_t);
    Q71_TYPE_ROW(RepeatMode::RepeatMode_t);
    Q71_TYPE_ROW(HidKey::HidKey_t);
    Q71_TYPE_ROW(MouseButton::MouseButton_t);
    Q71_TYPE_ROW(MouseMove::MouseMove_t);
    Q71_TYPE_ROW(OnboardFunction::OnboardFunction_t);
    Q71_TYPE_ROW(OnboardSection::OnboardSection_t);
    Q71_TYPE_ROW(PlayerResult::PlayerResult_t);
    Q71_TYPE_ROW(PlayerState::PlayerState_t);
    Q71_TYPE_ROW(DPCWhence::DPCWhence_t);
    Q71_TYPE_ROW(MessageIcon::MessageIcon_t);
}

void tst_Contracts::hostMetaTypeNamesResolve()
{
    QFETCH(QByteArray, name);
    QFETCH(int, size);
    QFETCH(int, expectedId);

    registerHostMetaTypes();
    const int id = metaTypeIdByName(name);
    QVERIFY2(id != QMetaType::UnknownType, name.constData());
    QCOMPARE(QMetaType(id).sizeOf(), size);
    if (expectedId != -1)
        QCOMPARE(id, expectedId);

    // A second registration, as every host entry point may make, keeps the name where it was.
    registerHostMetaTypes();
    QCOMPARE(metaTypeIdByName(name), id);
}

QTEST_MAIN(tst_Contracts)
#include "tst_contracts.moc"
