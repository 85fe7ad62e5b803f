# Host interfaces that plugins carry but neither implement nor call.
set(Q71_FURTHER_INTERFACE_HEADERS
    IChannelAttenuationModel.h
    IGainModel.h
    IEqualizerModel.h
    ISBVMModel.h
    ISidetoneModel.h
    IAudioFeedbackLoopModel.h
    IChannelMixerModel.h
    IAudioPlayer.h
)
