#include "retrieval/typologyrows.h"

#include "store/fielddescriptor.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

namespace typology {

namespace {

QString Escaped(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char(';') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

}  // namespace

QSet<QString> ParseSetting(const QString& setting)
{
    QSet<QString> items;
    QString item;
    for (qsizetype i = 0; i < setting.size(); ++i) {
        const QChar c = setting.at(i);
        if (c == QLatin1Char('\\') && i + 1 < setting.size()) {
            // Kept escaped: items are compared in their written form.
            item += c;
            item += setting.at(++i);
        } else if (c == QLatin1Char(';')) {
            if (!item.isEmpty())
                items.insert(item);
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.isEmpty())
        items.insert(item);
    return items;
}

QString ItemOf(const TickRow& row)
{
    if (row.marked)
        return QString::number(row.id);
    return QString::number(row.id) + QLatin1Char('_') + Escaped(row.value);
}

QList<TickRow> BuildRows(const TopicDatabase& db, const QString& setting, bool& extraOption)
{
    const QSet<QString> items = ParseSetting(setting);
    extraOption = items.contains(QStringLiteral("0"));
    QList<TickRow> rows;
    const TopicTable* table = db.GetTable(TopicId::Documents);
    if (!table)
        return rows;
    const FieldList& fields = table->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        const FieldDescriptor* field = fields.GetAt(i);
        if (!field || field->ID <= 2)
            continue;
        const qint32 type = field->Type;
        if (type < FieldType::Integer || type > FieldType::LongText || type == FieldType::DateTime ||
            type == FieldType::Memo || type == FieldType::Blob)
            continue;
        const bool byValue = field->Categorial != 0 || type == FieldType::ShortText || type == FieldType::Text ||
                             type == FieldType::Boolean || type == FieldType::LongText;
        if (!byValue) {
            TickRow row;
            row.id = field->ID;
            row.marked = true;
            row.text = field->Name.left(kTextUnits);
            row.ticked = items.contains(ItemOf(row));
            rows.append(row);
            continue;
        }
        QStringList values;
        db.GetDistinctValues(TopicId::Documents, field->ID, &values);
        for (const QString& value : std::as_const(values)) {
            TickRow row;
            row.id = field->ID;
            row.value = value.left(kValueUnits);
            row.text = QStringLiteral("%1: %2").arg(field->Name, value).left(kTextUnits);
            row.ticked = items.contains(ItemOf(row));
            rows.append(row);
        }
    }
    return rows;
}

QString TakeTicked(QList<TickRow>& rows, bool extraOption)
{
    QString setting;
    if (extraOption)
        setting = QStringLiteral(";0;");
    for (qsizetype i = rows.size() - 1; i >= 0; --i) {
        if (rows.at(i).ticked)
            setting += QLatin1Char(';') + ItemOf(rows.at(i)) + QLatin1Char(';');
        else
            rows.removeAt(i);
    }
    return setting;
}

}  // namespace typology
