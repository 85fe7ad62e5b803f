#pragma once
#include "IDolbyModel.h"
#include "cModelCall.h"

// The Dolby processing of a host audio device, on a stereo endpoint. Every operation that changes
// something is announced with called().
class cHostDolbyModel : public IDolbyModel
{
    Q_OBJECT
public:
    cHostDolbyModel();

    bool enableDolby(bool enable) override;
    bool isDH2PActive() override { return m_dh2p; }
    bool enableDH2P(bool enable) override;
    bool isDPL2Active() override { return m_dpl2; }
    bool enableDPL2(bool enable) override;
    bool isMovieModeActive() override { return m_movieMode; }
    bool enableMovieMode(bool enable) override;
    bool isMultiChannelActive() override { return false; }
    int getCenterWidth() override { return m_centerWidth; }
    bool setCenterWidth(int width) override;
    quint64 getChannelMaskRaw() override { return getChannelMask(); }
    ChannelMask::ChannelMask_t getChannelMask() override;

signals:
    void called(const cModelCall &call);

private:
    void record(const QString &operation, const QVariantList &arguments);

    bool m_dolby = false;
    bool m_dh2p = false;
    bool m_dpl2 = false;
    bool m_movieMode = false;
    int m_centerWidth = 0;
};
