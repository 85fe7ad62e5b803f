#pragma once
#include "Types.h"

#include <QObject>

class ISidetoneModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual qint32 getSidetone() = 0;
    Q_INVOKABLE virtual bool setSidetone(qint32 level) = 0;
};
