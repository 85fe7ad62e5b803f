# Host interfaces that plugins carry but neither implement nor call.
set(Q71_FURTHER_INTERFACE_HEADERS
    # Application and scheduling
    IMainApp.h
    IDeferredProcedureCall.h
    IDPCMgr.h
    # Device management
    IDevMgr.h
    IAbstractDevBus.h
    # Input
    ISimInput.h
    INativeAppSupport.h
    # Profiles, macros and assignments
    IProfileMgr.h
    IProfile.h
    IProfileBacklight.h
    IBacklightColor.h
    IMacro.h
    IMacroType.h
    IMacroTypeMgr.h
    IMacroEditor.h
    IPlayState.h
    IAssignment.h
    IAssignments.h
    IGenericAssignment.h
    IOnboardProfiles.h
    IOnboardProfile.h
    # Audio models
    IChannelAttenuationModel.h
    IGainModel.h
    IEqualizerModel.h
    ISBVMModel.h
    ISidetoneModel.h
    IAudioFeedbackLoopModel.h
    IChannelMixerModel.h
    IAudioPlayer.h
)
