#include "cLog.h"

#include <QByteArray>
#include <QDebug>
#include <QMessageLogger>

cLog::cLog()
    : cLog(QStringLiteral("nexaro"), Info)
{ }

cLog::cLog(const QString &category, Level threshold)
    : m_category(category)
    , m_threshold(threshold)
{ }

void cLog::write(Level level, const QString &message) const
{
    if (level < m_threshold)
        return;
    // The category travels in the message context, where a message handler or the default
    // pattern's %{category} finds it.
    const QByteArray category = m_category.toUtf8();
    const QMessageLogger logger(nullptr, 0, nullptr, category.constData());
    switch (level) {
    case Debug:
        logger.debug().noquote() << message;
        break;
    case Info:
        logger.info().noquote() << message;
        break;
    case Warning:
        logger.warning().noquote() << message;
        break;
    case Critical:
        logger.critical().noquote() << message;
        break;
    }
}
