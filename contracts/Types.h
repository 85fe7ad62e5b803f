#pragma once
// Names of everything that crosses between the host application and a device plugin: the
// shared-pointer handles, their lists, the enumerations (namespace + `_t`, crossing as 32-bit
// integers) and the two host value classes of the profile manager.
//
// The enumerations are fixed to int: without that, a value beyond the enumerators' bit range
// (MicLight_t(4)) would be undefined behaviour, yet a host may pass any 32-bit value and the
// plugin must be able to receive it and refuse it.
//
// Ownership rule behind every handle: an object that will be shared is wrapped once, right
// after `new`; every further handle is copied or cast from that one.

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QWeakPointer>

class IAbstractDevice;
class IAbstractDeviceProvider;
class IAbstractTransport;
class IHidTransport;
class IAudioRenderTransport;
class IAudioCaptureTransport;
class IAudioDevice;
class IMicrophoneModel;
class IProfilerDevice;
class IAbstractDevBus;
class IVolumeModel;
class IDolbyModel;
class IChannelAttenuationModel;
class IChannelMixerModel;
class IGainModel;
class IEqualizerModel;
class ISBVMModel;
class ISidetoneModel;
class IAudioFeedbackLoopModel;
class IAudioPlayer;
class IProfile;
class IProfileBacklight;
class IMacro;
class IMacroType;
class IPlayState;
class IAssignment;
class IAssignments;
class IGenericAssignment;
class IOnboardProfile;
class IDeferredProcedureCall;

typedef QSharedPointer<IAbstractDevice> cAbstractDevicePtr;
typedef QSharedPointer<IAbstractDeviceProvider> cAbstractDeviceProviderPtr;
typedef QSharedPointer<IAbstractTransport> cAbstractTransportPtr;
typedef QSharedPointer<IAudioRenderTransport> cAudioRenderTransportPtr;
typedef QSharedPointer<IAudioCaptureTransport> cAudioCaptureTransportPtr;
typedef QSharedPointer<IAudioDevice> cAudioDevicePtr;
typedef QSharedPointer<IMicrophoneModel> cMicrophoneModelPtr;
typedef QSharedPointer<IProfilerDevice> cProfilerDevicePtr;
typedef QSharedPointer<IAbstractDevBus> cAbstractDevBusPtr;
typedef QSharedPointer<IVolumeModel> cVolumeModelPtr;
typedef QSharedPointer<IDolbyModel> cDolbyModelPtr;
typedef QSharedPointer<IChannelAttenuationModel> cChannelAttenuationModelPtr;
typedef QSharedPointer<IChannelMixerModel> cChannelMixerModelPtr;
typedef QSharedPointer<IGainModel> cGainModelPtr;
typedef QSharedPointer<IEqualizerModel> cEqualizerModelPtr;
typedef QSharedPointer<ISBVMModel> cSBVMModelPtr;
typedef QSharedPointer<ISidetoneModel> cSidetoneModelPtr;
typedef QSharedPointer<IAudioFeedbackLoopModel> cAudioFeedbackLoopModelPtr;
typedef QSharedPointer<IAudioPlayer> cAudioPlayerPtr;
typedef QSharedPointer<IProfile> cProfilePtr;
typedef QSharedPointer<IProfileBacklight> cProfileBacklightPtr;
typedef QSharedPointer<IMacro> cMacroPtr;
typedef QSharedPointer<IMacroType> cMacroTypePtr;
typedef QSharedPointer<IPlayState> cPlayStatePtr;
typedef QSharedPointer<IAssignment> cAssignmentPtr;
typedef QSharedPointer<IAssignments> cAssignmentsPtr;
typedef QSharedPointer<IGenericAssignment> cGenericAssignmentPtr;
typedef QSharedPointer<IOnboardProfile> cOnboardProfilePtr;
typedef QSharedPointer<IDeferredProcedureCall> cDPCPtr;
typedef QSharedPointer<QObject> cObjectPtr;

typedef QList<cAbstractDevicePtr> cAbstractDeviceList;
typedef QList<cAudioDevicePtr> cAudioDeviceList;
typedef QList<cAssignmentPtr> cAssignmentPtrList;
typedef QList<cGenericAssignmentPtr> cGenericAssignmentPtrList;
typedef QList<cMacroPtr> cMacroPtrList;
typedef QList<cMacroTypePtr> cMacroTypePtrList;
typedef QList<cProfilePtr> cProfilePtrList;

namespace DeviceValidationResult {
enum DeviceValidationResult_t : int { Invalid = 1, Incomplete = 2, Complete = 4 };
}
namespace MicCaps {
// Bit set: 1 the light can be configured, 2 the mute notification can be configured.
enum MicCaps_t : int { None = 0, Light = 1, Notification = 2, LightAndNotification = 3 };
} // namespace MicCaps
namespace MicLight {
enum MicLight_t : int { Setting1 = 1, Setting2 = 2, Setting3 = 3 };
}
namespace MicMuteNotification {
enum MicMuteNotification_t : int { Setting1 = 1, Setting2 = 2 };
}
namespace GKey {
enum GKey_t : int { None = 0, G1 = 1, G2 = 2, G3 = 3 };
}
namespace MKey {
enum MKey_t : int { None = 0, M1 = 1, M2 = 2, M3 = 3, MR = 4 };
}
namespace GenericButton {
enum GenericButton_t : int { None = 0, Left = 1, Right = 2, Middle = 3, Back = 4, Forward = 5 };
}
namespace PowerType {
enum PowerType_t : int { Resume = 0, Suspend = 1, Shutdown = 2 };
}
namespace AudioControl {
enum AudioControl_t : int { Volume = 0, Mute = 1, MicGain = 2, Bass = 3, Treble = 4 };
}
namespace AudioControlState {
enum AudioControlState_t : int { Unavailable = 0, Available = 1, ReadOnly = 2 };
}
namespace ChannelMask {
enum ChannelMask_t : int {
    None = 0,
    FrontLeft = 0x1,
    FrontRight = 0x2,
    FrontCenter = 0x4,
    LowFrequency = 0x8,
    BackLeft = 0x10,
    BackRight = 0x20,
    SideLeft = 0x200,
    SideRight = 0x400
};
}
namespace PlayStateTriggers {
enum PlayStateTriggers_t : int { KeyDown = 0, KeyUp = 1, Abort = 2 };
}
namespace RepeatMode {
enum RepeatMode_t : int { None = 0, WhileHeld = 1, Toggle = 2 };
}
namespace HidKey {
enum HidKey_t : int { None = 0 };
}
namespace MouseButton {
enum MouseButton_t : int { Left = 1, Right = 2, Middle = 3, Back = 4, Forward = 5 };
}
namespace MouseMove {
enum MouseMove_t : int { Relative = 0, Absolute = 1 };
}
namespace OnboardFunction {
enum OnboardFunction_t : int {
    None = 0,
    Button = 1,
    Keystroke = 2,
    DpiUp = 3,
    DpiDown = 4,
    DpiCycle = 5,
    ProfileCycle = 6
};
}
namespace OnboardSection {
enum OnboardSection_t : int { Assignments = 0, Dpi = 1, Color = 2, ReportRate = 3, All = 4 };
}
namespace PlayerResult {
enum PlayerResult_t : int { Ok = 0, Failed = 1, NotInitialized = 2 };
}
namespace PlayerState {
enum PlayerState_t : int { Stopped = 0, Playing = 1, Paused = 2 };
}
namespace DPCWhence {
enum DPCWhence_t : int { FromNow = 0, FromStart = 1 };
}
namespace MessageIcon {
enum MessageIcon_t : int { NoIcon = 0, Information = 1, Warning = 2, Critical = 3 };
}

typedef QList<OnboardFunction::OnboardFunction_t> cOnboardFunctionList;
typedef QList<HidKey::HidKey_t> cHidKeyList;

// Pointer resolution of one mode: the steps a pointer offers and the one in use.
class cDpiSettings
{
public:
    QList<int> dpiSteps;
    int currentIndex = 0;
    bool operator==(const cDpiSettings &other) const
    {
        return dpiSteps == other.dpiSteps && currentIndex == other.currentIndex;
    }
};

// Pointer behaviour stored in a profile for one device model and mode.
class cPointerProperties
{
public:
    cDpiSettings dpi;
    int speed = 0;
    bool acceleration = false;
    int reportRate = 0;
    bool operator==(const cPointerProperties &other) const
    {
        return dpi == other.dpi && speed == other.speed && acceleration == other.acceleration
            && reportRate == other.reportRate;
    }
};

Q_DECLARE_METATYPE(cDpiSettings)
Q_DECLARE_METATYPE(cPointerProperties)
