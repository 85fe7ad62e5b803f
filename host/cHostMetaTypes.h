#pragma once
#include <QByteArray>

// Makes every type name that crosses between a plugin and the host by name known to Qt's
// meta-type system: the shared-pointer handles, their lists, the enumerations, the value types
// of the contract and the one weak device pointer. A call by name whose argument is tagged
// "cAudioDevicePtr" or "GKey::GKey_t" can only be matched and copied once its name resolves.
// Plugins register none of these; the host does it once before it loads any plugin. Safe to call
// any number of times, from any thread.
void registerHostMetaTypes();

// The meta-type id Qt knows `typeName` by, on Qt 5 and Qt 6 alike; 0
// (QMetaType::UnknownType) when the name resolves to no type.
int metaTypeIdByName(const QByteArray &typeName);
