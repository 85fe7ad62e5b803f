#pragma once
#include <libudev.h>

#include <memory>

// libudev's objects are reference counted by hand; these own one reference each.
struct cUdevUnref
{
    void operator()(udev *object) const { udev_unref(object); }
    void operator()(udev_device *object) const { udev_device_unref(object); }
    void operator()(udev_enumerate *object) const { udev_enumerate_unref(object); }
    void operator()(udev_monitor *object) const { udev_monitor_unref(object); }
};

template<class T> using tUdevPtr = std::unique_ptr<T, cUdevUnref>;
