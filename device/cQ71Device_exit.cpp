// Exit handling of cQ71Device: when the host application exits, the headset is told that its
// host is gone.
#include "cQ71Device.h"

namespace {
enum : quint8 { ExitCommand = 0x80, KeysReleaseCommand = 0x70 };
}

void cQ71Device::onExitApplication()
{
    if (!m_hidTransport)
        return;
    releaseHeadset();
}

void cQ71Device::releaseHeadset()
{
    // Both go out at once, ahead of anything still queued, which stays queued. The second
    // command joins the three key setup commands, with no key code.
    write(outputReport(ExitCommand));
    write(outputReport(KeysReleaseCommand));
}
