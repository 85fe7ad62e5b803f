#include "cHostMetaTypes.h"

// Every pointee complete: registering a shared pointer to a QObject subclass also registers its
// conversion to QObject*, which needs the class itself.
#include "IAbstractDevBus.h"
#include "IAbstractDevice.h"
#include "IAbstractDeviceProvider.h"
#include "IAbstractTransport.h"
#include "IAssignment.h"
#include "IAssignments.h"
#include "IAudioCaptureTransport.h"
#include "IAudioDevice.h"
#include "IAudioFeedbackLoopModel.h"
#include "IAudioPlayer.h"
#include "IAudioRenderTransport.h"
#include "IChannelAttenuationModel.h"
#include "IChannelMixerModel.h"
#include "IDeferredProcedureCall.h"
#include "IDolbyModel.h"
#include "IEqualizerModel.h"
#include "IGainModel.h"
#include "IGenericAssignment.h"
#include "IMacro.h"
#include "IMicrophoneModel.h"
#include "IPlayState.h"
#include "IProfile.h"
#include "IProfilerDevice.h"
#include "ISBVMModel.h"
#include "ISidetoneModel.h"
#include "IVolumeModel.h"
#include "Types.h"
#include "cJsonValue.h"
#ifdef Q71_HAVE_WIDGET_CONTRACT
#include "IMacroType.h"
#include "IOnboardProfile.h"
#include "IProfileBacklight.h"
#endif

#include <QDomElement>
#include <QMetaType>

// The registered name is the type as spelled, so that it is exactly the tag a caller writes.
#define Q71_REGISTER_BY_NAME(...) qRegisterMetaType<__VA_ARGS__>(#__VA_ARGS__)

namespace {

void registerValueTypes()
{
    Q71_REGISTER_BY_NAME(cJsonValue);
    Q71_REGISTER_BY_NAME(QDomElement);
    Q71_REGISTER_BY_NAME(cDpiSettings);
    Q71_REGISTER_BY_NAME(cPointerProperties);
    Q71_REGISTER_BY_NAME(QWeakPointer<IAbstractDevice>);
}

void registerPointers()
{
    Q71_REGISTER_BY_NAME(cAbstractDevicePtr);
    Q71_REGISTER_BY_NAME(cAbstractDeviceProviderPtr);
    Q71_REGISTER_BY_NAME(cAbstractTransportPtr);
    Q71_REGISTER_BY_NAME(cAudioRenderTransportPtr);
    Q71_REGISTER_BY_NAME(cAudioCaptureTransportPtr);
    Q71_REGISTER_BY_NAME(cAudioDevicePtr);
    Q71_REGISTER_BY_NAME(cMicrophoneModelPtr);
    Q71_REGISTER_BY_NAME(cProfilerDevicePtr);
    Q71_REGISTER_BY_NAME(cAbstractDevBusPtr);
    Q71_REGISTER_BY_NAME(cVolumeModelPtr);
    Q71_REGISTER_BY_NAME(cDolbyModelPtr);
    Q71_REGISTER_BY_NAME(cChannelAttenuationModelPtr);
    Q71_REGISTER_BY_NAME(cChannelMixerModelPtr);
    Q71_REGISTER_BY_NAME(cGainModelPtr);
    Q71_REGISTER_BY_NAME(cEqualizerModelPtr);
    Q71_REGISTER_BY_NAME(cSBVMModelPtr);
    Q71_REGISTER_BY_NAME(cSidetoneModelPtr);
    Q71_REGISTER_BY_NAME(cAudioFeedbackLoopModelPtr);
    Q71_REGISTER_BY_NAME(cAudioPlayerPtr);
    Q71_REGISTER_BY_NAME(cProfilePtr);
    Q71_REGISTER_BY_NAME(cMacroPtr);
    Q71_REGISTER_BY_NAME(cPlayStatePtr);
    Q71_REGISTER_BY_NAME(cAssignmentPtr);
    Q71_REGISTER_BY_NAME(cAssignmentsPtr);
    Q71_REGISTER_BY_NAME(cGenericAssignmentPtr);
    Q71_REGISTER_BY_NAME(cDPCPtr);
    Q71_REGISTER_BY_NAME(cObjectPtr);
}

void registerLists()
{
    Q71_REGISTER_BY_NAME(cAbstractDeviceList);
    Q71_REGISTER_BY_NAME(cAudioDeviceList);
    Q71_REGISTER_BY_NAME(cAssignmentPtrList);
    Q71_REGISTER_BY_NAME(cGenericAssignmentPtrList);
    Q71_REGISTER_BY_NAME(cMacroPtrList);
    Q71_REGISTER_BY_NAME(cProfilePtrList);
    Q71_REGISTER_BY_NAME(cOnboardFunctionList);
    Q71_REGISTER_BY_NAME(cHidKeyList);
}

void registerEnumerations()
{
    Q71_REGISTER_BY_NAME(DeviceValidationResult::DeviceValidationResult_t);
    Q71_REGISTER_BY_NAME(MicCaps::MicCaps_t);
    Q71_REGISTER_BY_NAME(MicLight::MicLight_t);
    Q71_REGISTER_BY_NAME(MicMuteNotification::MicMuteNotification_t);
    Q71_REGISTER_BY_NAME(GKey::GKey_t);
    Q71_REGISTER_BY_NAME(MKey::MKey_t);
    Q71_REGISTER_BY_NAME(GenericButton::GenericButton_t);
    Q71_REGISTER_BY_NAME(PowerType::PowerType_t);
    Q71_REGISTER_BY_NAME(AudioControl::AudioControl_t);
    Q71_REGISTER_BY_NAME(AudioControlState::AudioControlState_t);
    Q71_REGISTER_BY_NAME(ChannelMask::ChannelMask_t);
    Q71_REGISTER_BY_NAME(PlayStateTriggers::PlayStateTriggers_t);
    Q71_REGISTER_BY_NAME(RepeatMode::RepeatMode_t);
    Q71_REGISTER_BY_NAME(HidKey::HidKey_t);
    Q71_REGISTER_BY_NAME(MouseButton::MouseButton_t);
    Q71_REGISTER_BY_NAME(MouseMove::MouseMove_t);
    Q71_REGISTER_BY_NAME(OnboardFunction::OnboardFunction_t);
    Q71_REGISTER_BY_NAME(OnboardSection::OnboardSection_t);
    Q71_REGISTER_BY_NAME(PlayerResult::PlayerResult_t);
    Q71_REGISTER_BY_NAME(PlayerState::PlayerState_t);
    Q71_REGISTER_BY_NAME(DPCWhence::DPCWhence_t);
    Q71_REGISTER_BY_NAME(MessageIcon::MessageIcon_t);
}

// The types of the widget-naming interfaces, which a build without QtWidgets does not have.
void registerWidgetContract()
{
#ifdef Q71_HAVE_WIDGET_CONTRACT
    Q71_REGISTER_BY_NAME(cProfileBacklightPtr);
    Q71_REGISTER_BY_NAME(cMacroTypePtr);
    Q71_REGISTER_BY_NAME(cOnboardProfilePtr);
    Q71_REGISTER_BY_NAME(cMacroTypePtrList);
#endif
}

void registerAll()
{
    registerValueTypes();
    registerPointers();
    registerWidgetContract();
    registerLists();
    registerEnumerations();
}

} // namespace

void registerHostMetaTypes()
{
    // A function-local static runs its initializer exactly once, also under concurrent calls.
    static const bool registered = (registerAll(), true);
    Q_UNUSED(registered)
}

int metaTypeIdByName(const QByteArray &typeName)
{
    // Qt 6 looks a name up through QMetaType::fromName; Qt 5 has only the id-returning lookup.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QMetaType::fromName(typeName).id();
#else
    return QMetaType::type(typeName.constData());
#endif
}
