#pragma once
#include "IDeviceFacts.h"
#include "UdevPtr.h"

// The Linux bus's facts: a hidraw node's device as sysfs shows it while it is plugged (the USB
// device's bus and device numbers and ids, the HID device's report descriptor, name and physical
// path), found by the node's sysfs path, the uid cUdevTransportFactory gives its transport.
class cUdevDeviceFacts : public IDeviceFacts
{
public:
    cUdevDeviceFacts();

    cHidDeviceFacts hidDevice(const QString &uid) const override;
    QString soundCard(const QString &pcmUid) const override;

private:
    tUdevPtr<udev> m_udev;
};
