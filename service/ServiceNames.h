#pragma once
#include <QtGlobal>

// The names of the session-bus interface, which clients rely on: changing one is a new interface
// (org.q71.Headsets2), never an edit here.
namespace ServiceNames {
constexpr char Service[] = "org.q71.Headsets1";
constexpr char ManagerPath[] = "/org/q71/Headsets1";
// Followed by the device's number.
constexpr char HeadsetPathPrefix[] = "/org/q71/Headsets1/headset/";
constexpr char ManagerInterface[] = "org.q71.Headsets1.Manager";
constexpr char HeadsetInterface[] = "org.q71.Headsets1.Headset";
constexpr char InvalidValueError[] = "org.q71.Headsets1.Error.InvalidValue";
// Additions keep it; see the interface file.
constexpr uint ApiVersion = 1;
} // namespace ServiceNames
