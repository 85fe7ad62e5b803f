#include "cHostDolbyModel.h"

namespace {
QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
} // namespace

cHostDolbyModel::cHostDolbyModel() = default;

void cHostDolbyModel::record(const QString &call)
{
    m_calls.append(call);
    emit called(call);
}

bool cHostDolbyModel::enableDolby(bool enable)
{
    record(QStringLiteral("enableDolby(%1)").arg(boolText(enable)));
    m_dolby = enable;
    return true;
}

bool cHostDolbyModel::enableDH2P(bool enable)
{
    record(QStringLiteral("enableDH2P(%1)").arg(boolText(enable)));
    m_dh2p = enable;
    return true;
}

bool cHostDolbyModel::enableDPL2(bool enable)
{
    record(QStringLiteral("enableDPL2(%1)").arg(boolText(enable)));
    m_dpl2 = enable;
    return true;
}

bool cHostDolbyModel::enableMovieMode(bool enable)
{
    record(QStringLiteral("enableMovieMode(%1)").arg(boolText(enable)));
    m_movieMode = enable;
    return true;
}

bool cHostDolbyModel::setCenterWidth(int width)
{
    record(QStringLiteral("setCenterWidth(%1)").arg(width));
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
