#include "HeadsetFields.h"

namespace HeadsetFields {

const QList<cField> &all()
{
    static const QList<cField> fields = {
        {"Number", "number", "Number", "HEADSET", nullptr, Count},
        {"Name", "name", "Name", "NAME", nullptr, Text},
        {"Model", "model", "Model", nullptr, nullptr, Text},
        {"Node", "node", "Node", "NODE", nullptr, Text},
        {"SoundCard", "sound_card", "Sound card", nullptr, nullptr, Text},
        {"Started", "started", "Started", nullptr, nullptr, YesNo},
        {"Dolby", "dolby", "Dolby", "DOLBY", nullptr, OnOff},
        {"Volume", "volume", "Volume", "VOLUME", nullptr, Percent},
        {"MicLight", "mic_light", "Mic light", "MIC LIGHT", "mic-light", Count},
        {"MicNotification", "mic_notification", "Mic notification", "MIC NOTIFY", "mic-notification", Count},
    };
    return fields;
}

const cField *byProperty(const QString &property)
{
    for (const cField &field : all()) {
        if (property == QLatin1String(field.property))
            return &field;
    }
    return nullptr;
}

const cField *bySetting(const QString &setting)
{
    for (const cField &field : all()) {
        if (field.setting && setting == QLatin1String(field.setting))
            return &field;
    }
    return nullptr;
}

QStringList settings()
{
    QStringList names;
    for (const cField &field : all()) {
        if (field.setting)
            names << QLatin1String(field.setting);
    }
    return names;
}

QString text(const cField &field, const QVariant &value)
{
    if (!value.isValid())
        return QStringLiteral("?");
    switch (field.kind) {
    case Text:
        return value.toString().isEmpty() ? QStringLiteral("-") : value.toString();
    case Count:
        return QString::number(value.toUInt());
    case OnOff:
        return value.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    case YesNo:
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    case Percent:
        return value.toInt() < 0 ? QStringLiteral("unknown") : QStringLiteral("%1%").arg(value.toInt());
    }
    return QString();
}

QJsonValue json(const cField &field, const QVariant &value)
{
    if (!value.isValid())
        return QJsonValue();
    switch (field.kind) {
    case Text:
        return value.toString();
    case Count:
        return static_cast<qint64>(value.toUInt());
    case OnOff:
    case YesNo:
        return value.toBool();
    case Percent:
        return value.toInt();
    }
    return QJsonValue();
}

} // namespace HeadsetFields
