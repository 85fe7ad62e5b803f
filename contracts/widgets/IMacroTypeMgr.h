#pragma once
#include "IMacroType.h"
#include "Types.h"
#include "cJsonValue.h"

#include <QList>
#include <QObject>
#include <QString>

// The registry of macro types.
class IMacroTypeMgr : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool registerMacroType(cMacroTypePtr macroType) = 0;
    Q_INVOKABLE virtual bool unregisterMacroType(cMacroTypePtr macroType) = 0;
    Q_INVOKABLE virtual cMacroTypePtr getMacroTypeByID(const QString &macroTypeID) = 0;
    Q_INVOKABLE virtual cMacroTypePtrList getAllMacroTypes() = 0;
    Q_INVOKABLE virtual cMacroTypePtrList getAllMacroTypesSorted() = 0;
    Q_INVOKABLE virtual cMacroTypePtrList getMacroTypesByControlTypeID(const QString &controlTypeID) = 0;
    Q_INVOKABLE virtual QList<QString> getControlTypeIDsByMacroType(const cJsonValue &macroType) = 0;
};
