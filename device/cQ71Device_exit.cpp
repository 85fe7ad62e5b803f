// Exit handling of cQ71Device: when the host application exits, the headset is told that its
// host is gone.
#include "cQ71Device.h"

#include "HeadsetReport.h"

using namespace HeadsetReport;

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
