#include "ManifestCheck.h"

#include "cDevMgrLowService.h"

#include <QDomDocument>
#include <QFile>

namespace {

QString at(const QString &fileName, int line, const QString &what)
{
    return QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(what);
}

} // namespace

QStringList ManifestCheck::problems(const QString &path, const QString &shownAs)
{
    const QString fileName = shownAs.isEmpty() ? path : shownAs;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("%1: cannot read the manifest: %2").arg(fileName, file.errorString())};
    const QByteArray text = file.readAll();
    if (text.trimmed().isEmpty())
        return {at(fileName, 1, QStringLiteral("the manifest is empty"))};

    QDomDocument document;
    QString message;
    int line = 0;
    if (!document.setContent(text, &message, &line))
        return {at(fileName, line, QStringLiteral("not well-formed XML: %1").arg(message))};
    const QDomElement root = document.documentElement();
    const QDomElement device = root.firstChildElement(QStringLiteral("device"));
    if (device.isNull())
        return {
            at(fileName, root.lineNumber(),
               QStringLiteral("<%1> holds no <device> element: no transport can match").arg(root.tagName()))};

    // A device element must hold one probe per transport kind; the plugin consults only the first
    // of each name.
    QStringList found;
    for (const char *probe : cDevMgrLowService::ProbeKeys) {
        const QString tag = QLatin1String(probe);
        const QDomElement element = device.firstChildElement(tag);
        if (element.isNull())
            found << at(fileName, device.lineNumber(),
                        QStringLiteral("<device> holds no <%1>: no such transport can match").arg(tag));
        else if (element.attributes().isEmpty())
            found << at(
                fileName, element.lineNumber(),
                QStringLiteral("<%1> has no attributes: every transport of its kind matches").arg(tag));
    }
    return found;
}
