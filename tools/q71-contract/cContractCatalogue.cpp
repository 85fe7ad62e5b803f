#include "cContractCatalogue.h"

#include "IAbstractDevBus.h"
#include "IAbstractDevice.h"
#include "IAbstractDeviceProvider.h"
#include "IAbstractTransport.h"
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
#include "IMacroEditor.h"
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

#include <QMetaObject>

QList<const QMetaObject *> cContractCatalogue::interfaces()
{
    return {
        // Device side
        &IAbstractDeviceProvider::staticMetaObject,
        &IAbstractDevice::staticMetaObject,
        &IAbstractTransport::staticMetaObject,
        &IHidTransport::staticMetaObject,
        &IAudioTransport::staticMetaObject,
        &IAudioRenderTransport::staticMetaObject,
        &IAudioCaptureTransport::staticMetaObject,
        &IMicrophoneModel::staticMetaObject,
        // Service side
        &IDevMgrLow::staticMetaObject,
        &IProfiler::staticMetaObject,
        &IAudioDeviceMgr::staticMetaObject,
        &IAudioDevice::staticMetaObject,
        &IVolumeModel::staticMetaObject,
        &IDolbyModel::staticMetaObject,
        &IProfilerDevice::staticMetaObject,
        // Further host interfaces
        &IMainApp::staticMetaObject,
        &IDeferredProcedureCall::staticMetaObject,
        &IDPCMgr::staticMetaObject,
        &IDevMgr::staticMetaObject,
        &IAbstractDevBus::staticMetaObject,
        &ISimInput::staticMetaObject,
        &INativeAppSupport::staticMetaObject,
        &IProfileMgr::staticMetaObject,
        &IProfile::staticMetaObject,
        &IProfileBacklight::staticMetaObject,
        &IBacklightColor::staticMetaObject,
        &IMacro::staticMetaObject,
        &IMacroType::staticMetaObject,
        &IMacroTypeMgr::staticMetaObject,
        &IMacroEditor::staticMetaObject,
        &IPlayState::staticMetaObject,
        &IAssignment::staticMetaObject,
        &IAssignments::staticMetaObject,
        &IGenericAssignment::staticMetaObject,
        &IOnboardProfiles::staticMetaObject,
        &IOnboardProfile::staticMetaObject,
        &IChannelAttenuationModel::staticMetaObject,
        &IGainModel::staticMetaObject,
        &IEqualizerModel::staticMetaObject,
        &ISBVMModel::staticMetaObject,
        &ISidetoneModel::staticMetaObject,
        &IAudioFeedbackLoopModel::staticMetaObject,
        &IChannelMixerModel::staticMetaObject,
        &IAudioPlayer::staticMetaObject,
    };
}
