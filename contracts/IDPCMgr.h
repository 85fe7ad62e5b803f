#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// Schedules deferred procedure calls at a time given by a number and a reference point, or on a
// named condition, and signals conditions.
class IDPCMgr : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual void addDPC(cDPCPtr dpc, int when, DPCWhence::DPCWhence_t whence) = 0;
    Q_INVOKABLE virtual void addDPCCond(cDPCPtr dpc, const QString &cond) = 0;
    Q_INVOKABLE virtual bool addDPCCondUnique(cDPCPtr dpc, const QString &cond, const QString &uid) = 0;
    Q_INVOKABLE virtual bool conditionSignaled(const QString &cond) = 0;
    Q_INVOKABLE virtual void signalCondition(const QString &cond) = 0;
};
