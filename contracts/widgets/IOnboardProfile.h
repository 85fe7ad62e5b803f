#pragma once
#include "Types.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

// One profile stored on a device.
class IOnboardProfile : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual MKey::MKey_t mode() = 0;
    Q_INVOKABLE virtual void resetSectionToDefaults(OnboardSection::OnboardSection_t what) = 0;
    Q_INVOKABLE virtual void resetAssignmentToGeneric(const QString &contextID) = 0;
    Q_INVOKABLE virtual QColor color() = 0;
    Q_INVOKABLE virtual void setColor(const QColor &newColor) = 0;
    Q_INVOKABLE virtual int reportRate() = 0;
    Q_INVOKABLE virtual void setReportRate(int newReportRate) = 0;
    Q_INVOKABLE virtual QList<int> dpiTable() = 0;
    Q_INVOKABLE virtual int dpiDefaultIndex() = 0;
    Q_INVOKABLE virtual void setDpiTable(const QList<int> &newDpiTable, int defaultIndex) = 0;
    Q_INVOKABLE virtual int currentDpiIndex() = 0;
    Q_INVOKABLE virtual void setCurrentDpiIndex(int newCurrentIndex) = 0;
    Q_INVOKABLE virtual int dpiShift() = 0;
    Q_INVOKABLE virtual void setDpiShift(int newDpiShift) = 0;
    Q_INVOKABLE virtual OnboardFunction::OnboardFunction_t assignedFunction(const QString &contextID) = 0;
    // The callee fills in `keystroke` and `modifier`.
    Q_INVOKABLE virtual bool assignedKeystroke(const QString &contextID, HidKey::HidKey_t &keystroke,
                                               cHidKeyList &modifier)
        = 0;
    Q_INVOKABLE virtual bool setAssignedFunction(const QString &contextID,
                                                 OnboardFunction::OnboardFunction_t function)
        = 0;
    Q_INVOKABLE virtual bool setAssignedKeystroke(const QString &contextID, HidKey::HidKey_t keystroke,
                                                  const cHidKeyList &modifier)
        = 0;
    Q_INVOKABLE virtual OnboardFunction::OnboardFunction_t
    assignedFunction(GenericButton::GenericButton_t genericButton)
        = 0;
    Q_INVOKABLE virtual int shiftDpiIndex() = 0;
};
