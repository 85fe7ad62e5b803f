#pragma once
#include "Types.h"

#include <QObject>

// One unit of deferred work, run by the deferred procedure call manager.
class IDeferredProcedureCall : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual void run() = 0;
};
