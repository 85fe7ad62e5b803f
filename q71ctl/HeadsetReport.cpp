#include "HeadsetReport.h"

#include "HeadsetFields.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace HeadsetReport {

namespace {

const char g_gap[] = "  ";

QList<const HeadsetFields::cField *> listedFields()
{
    QList<const HeadsetFields::cField *> fields;
    for (const HeadsetFields::cField &field : HeadsetFields::all()) {
        if (field.column)
            fields << &field;
    }
    return fields;
}

// Rows of cells as columns as wide as their widest cell; the last cell of a row is not padded, so
// that no line ends in blanks.
QByteArray aligned(const QList<QStringList> &rows)
{
    QList<int> widths;
    for (const QStringList &row : rows) {
        for (int i = 0; i < row.size(); ++i) {
            if (i == widths.size())
                widths << 0;
            widths[i] = qMax(widths.at(i), row.at(i).size());
        }
    }
    QString text;
    for (const QStringList &row : rows) {
        for (int i = 0; i < row.size(); ++i)
            text += i + 1 < row.size() ? row.at(i).leftJustified(widths.at(i)) + QLatin1String(g_gap)
                                       : row.at(i);
        text += QLatin1Char('\n');
    }
    return text.toUtf8();
}

QByteArray document(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

} // namespace

QJsonObject envelope()
{
    return {{QStringLiteral("api_version"), QLatin1String(ApiVersion)}};
}

QJsonObject headsetObject(const QVariantMap &properties)
{
    QJsonObject object;
    for (const HeadsetFields::cField &field : HeadsetFields::all())
        object.insert(QLatin1String(field.json),
                      HeadsetFields::json(field, properties.value(QLatin1String(field.property))));
    return object;
}

QByteArray listText(const QList<QVariantMap> &headsets)
{
    if (headsets.isEmpty())
        return QByteArrayLiteral("No headsets.\n");
    const QList<const HeadsetFields::cField *> fields = listedFields();
    QList<QStringList> rows {{}};
    for (const HeadsetFields::cField *field : fields)
        rows.first() << QLatin1String(field->column);
    for (const QVariantMap &headset : headsets) {
        QStringList row;
        for (const HeadsetFields::cField *field : fields)
            row << HeadsetFields::text(*field, headset.value(QLatin1String(field->property)));
        rows << row;
    }
    return aligned(rows);
}

QByteArray listJson(const QList<QVariantMap> &headsets)
{
    QJsonArray array;
    for (const QVariantMap &headset : headsets)
        array.append(headsetObject(headset));
    QJsonObject object = envelope();
    object.insert(QStringLiteral("headsets"), array);
    return document(object);
}

QByteArray showText(const QVariantMap &properties)
{
    QList<QStringList> rows;
    for (const HeadsetFields::cField &field : HeadsetFields::all())
        rows << QStringList {QLatin1String(field.label) + QLatin1Char(':'),
                             HeadsetFields::text(field, properties.value(QLatin1String(field.property)))};
    return aligned(rows);
}

QByteArray showJson(const QVariantMap &properties)
{
    QJsonObject object = envelope();
    object.insert(QStringLiteral("headset"), headsetObject(properties));
    return document(object);
}

} // namespace HeadsetReport
