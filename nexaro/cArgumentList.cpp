#include "cArgumentList.h"

QByteArray cArgumentList::signature(const QString &name) const
{
    QByteArray text = name.toUtf8();
    text += '(';
    for (int i = 0; i < m_count; ++i) {
        if (i > 0)
            text += ',';
        text += m_typeNames[i];
    }
    text += ')';
    return text;
}
