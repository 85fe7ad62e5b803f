#include "cModelCall.h"

#include <QStringList>

QString cModelCall::text() const
{
    QStringList values;
    for (const QVariant &argument : arguments)
        values << argument.toString();
    return operation + QLatin1Char('(') + values.join(QLatin1Char(',')) + QLatin1Char(')');
}
