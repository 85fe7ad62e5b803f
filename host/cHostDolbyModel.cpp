#include "cHostDolbyModel.h"

cHostDolbyModel::cHostDolbyModel() = default;

void cHostDolbyModel::record(const QString &operation, const QVariantList &arguments)
{
    emit called({cModelCall::Dolby, operation, arguments});
}

bool cHostDolbyModel::enableDolby(bool enable)
{
    emit called({cModelCall::Dolby,
                 QStringLiteral("enableDolby"),
                 {enable},
                 cModelCall::DolbySwitch,
                 enable ? 1 : 0});
    m_dolby = enable;
    return true;
}

bool cHostDolbyModel::enableDH2P(bool enable)
{
    record(QStringLiteral("enableDH2P"), {enable});
    m_dh2p = enable;
    return true;
}

bool cHostDolbyModel::enableDPL2(bool enable)
{
    record(QStringLiteral("enableDPL2"), {enable});
    m_dpl2 = enable;
    return true;
}

bool cHostDolbyModel::enableMovieMode(bool enable)
{
    record(QStringLiteral("enableMovieMode"), {enable});
    m_movieMode = enable;
    return true;
}

bool cHostDolbyModel::setCenterWidth(int width)
{
    record(QStringLiteral("setCenterWidth"), {width});
    // The width is a percentage of the front stage.
    if (width < 0 || width > 100)
        return false;
    m_centerWidth = width;
    return true;
}

ChannelMask::ChannelMask_t cHostDolbyModel::getChannelMask()
{
    return ChannelMask::ChannelMask_t(ChannelMask::FrontLeft | ChannelMask::FrontRight);
}
