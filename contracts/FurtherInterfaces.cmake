# Host interfaces that plugins carry but neither implement nor call. Those that name a widget, a
# colour or a pixmap are listed in widgets/CMakeLists.txt, so that a plugin needs neither QtGui nor
# QtWidgets.
set(Q71_FURTHER_INTERFACE_HEADERS
    # Application and scheduling
    IDeferredProcedureCall.h
    IDPCMgr.h
    # Device management
    IDevMgr.h
    IAbstractDevBus.h
    # Input
    ISimInput.h
    INativeAppSupport.h
    # Profiles, macros and assignments
    IProfile.h
    IMacro.h
    IPlayState.h
    IAssignment.h
    IAssignments.h
    IGenericAssignment.h
    IOnboardProfiles.h
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
