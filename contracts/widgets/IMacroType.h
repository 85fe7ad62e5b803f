#pragma once
#include "IMacro.h"
#include "IMacroEditor.h"
#include "IPlayState.h"
#include "Types.h"
#include "cJsonValue.h"

#include <QDomDocument>
#include <QDomElement>
#include <QObject>
#include <QString>

// One kind of macro: its description, namespace, editor, XML form, playback and rules.
class IMacroType : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cJsonValue info() = 0;
    Q_INVOKABLE virtual QString nameSpace() = 0;
    Q_INVOKABLE virtual IMacroEditor *editor(cMacroPtr macro) = 0;
    Q_INVOKABLE virtual cMacroPtr fromXml(const QDomElement &macroDataDomElement) = 0;
    Q_INVOKABLE virtual QDomElement toXml(QDomDocument &doc, cMacroPtr macro) = 0;
    Q_INVOKABLE virtual cPlayStatePtr createPlayState(cMacroPtr macro) = 0;
    Q_INVOKABLE virtual bool isRepeatable() = 0;
    Q_INVOKABLE virtual bool isPrivate() = 0;
    Q_INVOKABLE virtual bool isFixedName() = 0;
    Q_INVOKABLE virtual int getPriority() = 0;
    Q_INVOKABLE virtual bool equivalent(cMacroPtr macro1, cMacroPtr macro2) = 0;
};
