#include "store/fielddescriptor.h"

#include "foundation/stringstore.h"
#include "store/fieldvalue.h"

QString CutToUnits(const QString& text, qsizetype maxUnits)
{
    if (text.size() <= maxUnits)
        return text;
    qsizetype units = qMax<qsizetype>(maxUnits, 0);
    if (units > 0 && text.at(units - 1).isHighSurrogate())
        --units;
    return text.left(units);
}

FieldDescriptor FieldDescriptor::FromFieldRecord(qint32 id, const QString& name, const QString& source, qint32 type,
                                                 qint32 state, qint32 parentTopicId, const QString& defaultValue,
                                                 qint32 categorial)
{
    FieldDescriptor field;
    field.ID = id;
    field.Name = CutToUnits(name, kNameUnits);
    field.Source = CutToUnits(source, kNameUnits);
    field.Type = type;
    field.State = state;
    field.ParentTopicID = parentTopicId;
    field.DefaultValue = CutToUnits(defaultValue, kDefaultUnits);
    field.Categorial = categorial;
    field.Offset = 0;
    field.Size = SizeOfType(type);
    return field;
}

qint32 FieldDescriptor::SizeOfType(qint32 type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Blob:
    case FieldType::Boolean: return 4;
    case FieldType::ShortText: return 128;
    case FieldType::Text: return 256;
    case FieldType::Real: return 8;
    case FieldType::DateTime: return 12;
    case FieldType::LongText: return 512;
    default: return 0;
    }
}

qsizetype FieldDescriptor::TextUnitsOfType(qint32 type)
{
    switch (type) {
    case FieldType::ShortText:
    case FieldType::Text:
    case FieldType::LongText: return SizeOfType(type) / 2 - 1;
    default: return 0;
    }
}

bool FieldDescriptor::BuildDefaultBytes(QByteArray& out) const
{
    if (Size <= 0)
        return false;
    out = QByteArray(Size, '\0');
    if (DefaultValue.isEmpty() || Type == FieldType::Blob)
        return true;
    FieldValue value(*this, out.data());
    if (!value.Parse(DefaultValue) && Type == FieldType::DateTime)
        out.fill('\0');
    return true;
}

namespace {

struct TypeChoice {
    qint32 type;
    int textId;
};

// In the order the user sees them.
constexpr TypeChoice kTypeChoices[] = {
    {FieldType::ShortText, StoreText::TypeText},   {FieldType::Integer, StoreText::TypeInteger},
    {FieldType::Real, StoreText::TypeReal},        {FieldType::DateTime, StoreText::TypeDateTime},
    {FieldType::Boolean, StoreText::TypeBoolean},
};

}  // namespace

QString FieldTypeName(qint32 type)
{
    for (const TypeChoice& choice : kTypeChoices) {
        if (choice.type == type)
            return g_pStringStore->GetString(choice.textId);
    }
    return {};
}

void FieldTypeChoices(QStringList& names, QList<qint32>& codes)
{
    for (const TypeChoice& choice : kTypeChoices) {
        names.append(g_pStringStore->GetString(choice.textId));
        codes.append(choice.type);
    }
}
