#include "store/fieldvalue.h"

#include "foundation/filehelpers.h"
#include "store/compressedblob.h"
#include "store/rowbuffer.h"

#include <QCollator>
#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qsizetype SkipSpaces(const QString& text, qsizetype i)
{
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    return i;
}

// The decimal number that a text begins with ("." as decimal point,
// optional exponent); 0 when none. False only for a number out of range.
bool LeadingReal(const QString& text, double& value)
{
    value = 0;
    qsizetype i = SkipSpaces(text, 0);
    QByteArray number;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qsizetype digits = 0;
    for (; i < text.size() && IsDigit(text.at(i)); ++i, ++digits)
        number.append(char(text.at(i).unicode()));
    if (i < text.size() && text.at(i) == QLatin1Char('.')) {
        number.append('.');
        for (++i; i < text.size() && IsDigit(text.at(i)); ++i, ++digits)
            number.append(char(text.at(i).unicode()));
    }
    if (digits == 0)
        return true;
    if (i < text.size() && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        QByteArray exponent("e");
        qsizetype j = i + 1;
        if (j < text.size() && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            exponent.append(char(text.at(j++).unicode()));
        const qsizetype firstDigit = j;
        for (; j < text.size() && IsDigit(text.at(j)); ++j)
            exponent.append(char(text.at(j).unicode()));
        if (j > firstDigit)
            number.append(exponent);
    }
    double parsed = 0;
    const auto result = std::from_chars(number.constData(), number.constData() + number.size(), parsed);
    if (result.ec != std::errc())
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

int Sign(double difference)
{
    return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}

// Locale collation ignoring case, in the current default locale.
int CollateNoCase(const QString& a, const QString& b)
{
    static thread_local QString localeName;
    static thread_local QCollator collator;
    const QLocale locale;
    if (localeName != locale.name()) {
        collator = QCollator(locale);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        localeName = locale.name();
    }
    return Sign(collator.compare(a, b));
}

QString FormatReal(const char* format, double value)
{
    return QString::asprintf(format, value);
}

QString FormatDateOfText(const QString& text)
{
    double days = 0;
    return ParseDateText(text, days) ? FormatDateText({days, DateStatus::Valid}) : QString();
}

bool IsTextType(qint32 type)
{
    return FieldDescriptor::TextUnitsOfType(type) > 0;
}

bool IsIntegerType(qint32 type)
{
    return type == FieldType::Integer || type == FieldType::Boolean;
}

}  // namespace

qint32 FieldValue::GetInt() const
{
    if (!m_data || !IsIntegerType(Type))
        return 0;
    qint32 value;
    std::memcpy(&value, m_data, sizeof value);
    return value;
}

bool FieldValue::SetInt(qint32 value)
{
    if (!m_data || !IsIntegerType(Type))
        return false;
    std::memcpy(m_data, &value, sizeof value);
    return true;
}

double FieldValue::GetReal() const
{
    if (!m_data || Type != FieldType::Real)
        return 0;
    double value;
    std::memcpy(&value, m_data, sizeof value);
    return value;
}

bool FieldValue::SetReal(double value)
{
    if (!m_data || Type != FieldType::Real)
        return false;
    std::memcpy(m_data, &value, sizeof value);
    return true;
}

QString FieldValue::GetText() const
{
    if (!m_data || !IsTextType(Type))
        return {};
    const qsizetype capacity = Size / 2;
    QString text(capacity, Qt::Uninitialized);
    std::memcpy(text.data(), m_data, size_t(capacity) * 2);
    const qsizetype end = text.indexOf(QChar(0));
    if (end >= 0)
        text.truncate(end);
    return text;
}

bool FieldValue::SetText(QStringView text)
{
    if (!m_data || !IsTextType(Type))
        return false;
    qsizetype units = qMin(text.size(), TextUnitsOfType(Type));
    if (units < text.size() && units > 0 && text.at(units - 1).isHighSurrogate())
        --units;
    std::memset(m_data, 0, size_t(Size));
    if (units > 0)
        std::memcpy(m_data, text.utf16(), size_t(units) * 2);
    return true;
}

OleDate FieldValue::GetDate() const
{
    OleDate date;
    if (!m_data || Type != FieldType::DateTime)
        return {0, DateStatus::Null};
    qint32 status;
    std::memcpy(&date.value, m_data, sizeof date.value);
    std::memcpy(&status, m_data + sizeof date.value, sizeof status);
    date.status = DateStatus(status);
    return date;
}

bool FieldValue::SetDate(const OleDate& date)
{
    if (!m_data || Type != FieldType::DateTime)
        return false;
    const qint32 status = qint32(date.status);
    std::memcpy(m_data, &date.value, sizeof date.value);
    std::memcpy(m_data + sizeof date.value, &status, sizeof status);
    return true;
}

const QByteArray* FieldValue::GetBlob() const
{
    if (!m_data || !m_buffer || Type != FieldType::Blob)
        return nullptr;
    qint32 slot;
    std::memcpy(&slot, m_data, sizeof slot);
    return m_buffer->BlobOfSlot(slot);
}

bool FieldValue::SetBlob(const QByteArray& bytes)
{
    if (!m_data || !m_buffer || Type != FieldType::Blob)
        return false;
    qint32 slot;
    std::memcpy(&slot, m_data, sizeof slot);
    slot = m_buffer->StoreBlob(slot, bytes);
    std::memcpy(m_data, &slot, sizeof slot);
    return true;
}

bool FieldValue::SetBlob(const QByteArray& bytes, const PreparedBlob& prepared)
{
    if (!SetBlob(bytes))
        return false;
    if (const QVariant* stored = prepared.StoredFormOf(bytes)) {
        qint32 slot;
        std::memcpy(&slot, m_data, sizeof slot);
        m_buffer->SetStoredFormOfSlot(slot, *stored);
    }
    return true;
}

bool FieldValue::SetBlobWithStoredForm(const QByteArray& bytes, const QByteArray& stored)
{
    if (!SetBlob(bytes))
        return false;
    if (!bytes.isEmpty()) {
        qint32 slot;
        std::memcpy(&slot, m_data, sizeof slot);
        m_buffer->SetStoredFormOfSlot(slot, QVariant(stored));
    }
    return true;
}

const QByteArray* FieldValue::GetExternalReference() const
{
    if (!m_data || !m_buffer || Type != FieldType::Blob)
        return nullptr;
    qint32 slot;
    std::memcpy(&slot, m_data, sizeof slot);
    return m_buffer->ReferenceOfSlot(slot);
}

bool FieldValue::SetExternalContent(const QByteArray& content, const QByteArray& reference)
{
    if (!SetBlob(content))
        return false;
    qint32 slot;
    std::memcpy(&slot, m_data, sizeof slot);
    m_buffer->SetReferenceOfSlot(slot, reference);
    return true;
}

bool FieldValue::ClearBlob()
{
    if (!m_data || Type != FieldType::Blob)
        return false;
    std::memset(m_data, 0, sizeof(qint32));
    return true;
}

QString FieldValue::Format() const
{
    if (!m_data)
        return {};
    switch (Type) {
    case FieldType::Integer: return QString::number(GetInt());
    case FieldType::ShortText:
    case FieldType::Text:
    case FieldType::LongText: return GetText();
    case FieldType::Real: return FormatReal("%g", GetReal());
    case FieldType::DateTime: return FormatDateText(GetDate());
    case FieldType::Boolean: return GetInt() != 0 ? QStringLiteral("1") : QString();
    default: return {};
    }
}

QString FieldValue::FormatToBuffer() const
{
    const QString text = Type == FieldType::Real && m_data ? FormatReal("%.2f", GetReal()) : Format();
    return CutToUnits(text, kBufferUnits - 1);
}

bool FieldValue::Parse(const QString& text)
{
    if (!m_data)
        return false;
    switch (Type) {
    case FieldType::Integer: return SetInt(ReadLeadingInt(text));
    case FieldType::ShortText:
    case FieldType::Text:
    case FieldType::LongText: return SetText(text);
    case FieldType::Real: {
        double value = 0;
        const bool ok = LeadingReal(text, value);
        SetReal(value);
        return ok;
    }
    case FieldType::DateTime: {
        double days = 0;
        if (text.trimmed().isEmpty())
            return SetDate({0, DateStatus::Null});
        if (!ParseDateText(text, days)) {
            SetDate({0, DateStatus::Null});
            return false;
        }
        return SetDate({days, DateStatus::Valid});
    }
    case FieldType::Boolean: return SetInt(!text.isEmpty() && ReadLeadingInt(text) != 0 ? 1 : 0);
    default: return false;
    }
}

int FieldValue::Compare(const FieldValue& other) const
{
    if (!m_data || !other.m_data || Type != other.Type)
        return 0;
    switch (Type) {
    case FieldType::Integer: return Sign(double(GetInt()) - double(other.GetInt()));
    case FieldType::ShortText:
    case FieldType::Text:
    case FieldType::LongText: {
        const QString mine = GetText();
        const QString theirs = other.GetText();
        if (mine.isEmpty() || theirs.isEmpty())
            return mine.isEmpty() == theirs.isEmpty() ? 0 : (mine.isEmpty() ? 1 : -1);
        return CollateNoCase(mine, theirs);
    }
    case FieldType::Real: {
        const double a = GetReal();
        const double b = other.GetReal();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case FieldType::DateTime: {
        const OleDate a = GetDate();
        const OleDate b = other.GetDate();
        if (!a.IsValid() || !b.IsValid())
            return 0;
        return a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
    }
    case FieldType::Boolean: return Sign(double(GetInt() != 0) - double(other.GetInt() != 0));
    default: return 0;
    }
}

int FieldValue::CompareWithText(const QString& text) const
{
    if (!m_data)
        return 0;
    switch (Type) {
    case FieldType::Integer: return Sign(double(GetInt()) - double(ReadLeadingInt(text)));
    case FieldType::ShortText:
    case FieldType::Text:
    case FieldType::LongText: return CollateNoCase(GetText(), text);
    case FieldType::Real: {
        double other = 0;
        LeadingReal(text, other);
        const double mine = GetReal();
        return mine < other ? -1 : (mine > other ? 1 : 0);
    }
    case FieldType::DateTime: {
        const OleDate mine = GetDate();
        double other = 0;
        if (!mine.IsValid() || !ParseDateText(text, other))
            return 0;
        return mine.value < other ? -1 : (mine.value > other ? 1 : 0);
    }
    case FieldType::Boolean: {
        const bool mine = GetInt() != 0;
        const bool theirs = !text.isEmpty();
        return mine == theirs ? 0 : (mine ? 1 : -1);
    }
    default: return 0;
    }
}

QString FieldValue::NormaliseText(qint32 type, const QString& text)
{
    switch (type) {
    case FieldType::Integer: return QString::number(ReadLeadingInt(text));
    case FieldType::ShortText:
    case FieldType::Text:
    case FieldType::LongText: return CutToUnits(text, TextUnitsOfType(type));
    case FieldType::Real: {
        double value = 0;
        LeadingReal(text, value);
        return FormatReal("%g", value);
    }
    case FieldType::DateTime: return FormatDateOfText(text);
    case FieldType::Boolean: return ReadLeadingInt(text) != 0 ? QStringLiteral("1") : QString();
    default: return {};
    }
}

QString FieldValue::CanonicalText(qint32 type, const QString& text)
{
    switch (type) {
    case FieldType::Real: {
        double value = 0;
        LeadingReal(text, value);
        return FormatReal("%f", value);
    }
    case FieldType::Boolean: return ReadLeadingInt(text) != 0 ? QStringLiteral("1") : QStringLiteral("0");
    default: return NormaliseText(type, text);
    }
}

QString FieldValue::ToStorageText() const
{
    if (!m_data)
        return {};
    switch (Type) {
    case FieldType::Real: return FormatReal("%.17g", GetReal());
    case FieldType::DateTime: return FormatStorageDate(GetDate());
    default: return Format();
    }
}

bool FieldValue::ToColumnValue(QVariant& out) const
{
    if (!m_data)
        return false;
    switch (Type) {
    case FieldType::Integer:
    case FieldType::Boolean: out = QVariant(GetInt()); return true;
    case FieldType::ShortText:
    case FieldType::Text:
    case FieldType::LongText: out = QVariant(GetText()); return true;
    case FieldType::Real: out = QVariant(GetReal()); return true;
    case FieldType::DateTime: {
        const OleDate date = GetDate();
        out = date.IsValid() ? QVariant(date.value) : QVariant();
        return true;
    }
    case FieldType::Blob: {
        // Content read from an external file goes back as its reference.
        const QByteArray* reference = GetExternalReference();
        const QByteArray* blob = reference ? reference : GetBlob();
        if (!blob)
            return false;
        qint32 slot;
        std::memcpy(&slot, m_data, sizeof slot);
        const QVariant* prepared = reference ? nullptr : m_buffer->StoredFormOfSlot(slot);
        out = prepared ? *prepared : StoredBlobValue(*blob);
        return true;
    }
    default: return false;
    }
}

bool FieldValue::FromColumnValue(const QVariant& stored, QString* error)
{
    auto refuse = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Field \"%1\": %2").arg(Name, reason);
        return false;
    };
    if (Type == FieldType::Memo)
        return true;
    if (!IsKnownType(Type))
        return refuse(QStringLiteral("unknown field type %1.").arg(Type));
    if (!m_data)
        return refuse(QStringLiteral("no row to store the value in."));

    const int kind = stored.typeId();
    const bool isText = kind == QMetaType::QString;
    bool isNumber = kind == QMetaType::LongLong || kind == QMetaType::Int || kind == QMetaType::Double;
    double number = isNumber ? stored.toDouble() : 0;
    // A text column holds numbers as texts, e.g. after a field changed its
    // type: a text that is wholly a number fits a number field, and an empty
    // one counts as no value.
    const QString text = isText ? stored.toString().trimmed() : QString();
    if (isText) {
        number = QLocale::c().toDouble(text, &isNumber);
        isNumber = isNumber && std::isfinite(number);
    }
    const bool isNull = stored.isNull() || (isText && text.isEmpty() && Type != FieldType::Blob);
    const QString kindName = QLatin1String(stored.typeName());
    switch (Type) {
    case FieldType::Integer:
    case FieldType::Boolean: {
        if (isNull)
            return SetInt(0);
        if (!isNumber)
            return refuse(QStringLiteral("a %1 value where an integer belongs.").arg(kindName));
        if (kind == QMetaType::LongLong && (stored.toLongLong() < std::numeric_limits<qint32>::min() ||
                                            stored.toLongLong() > std::numeric_limits<qint32>::max()))
            return refuse(QStringLiteral("%1 does not fit a 32-bit integer.").arg(stored.toString()));
        if (number != std::trunc(number) || number < std::numeric_limits<qint32>::min() ||
            number > std::numeric_limits<qint32>::max())
            return refuse(QStringLiteral("%1 does not fit a 32-bit integer.").arg(stored.toString()));
        return SetInt(qint32(number));
    }
    case FieldType::ShortText:
    case FieldType::Text:
    case FieldType::LongText:
        if (stored.isNull())
            return true;
        if (isText || kind == QMetaType::LongLong || kind == QMetaType::Int || kind == QMetaType::Double)
            return SetText(stored.toString());
        return refuse(QStringLiteral("a %1 value where a text belongs.").arg(kindName));
    case FieldType::Real:
        if (isNull)
            return SetReal(0);
        if (isNumber)
            return SetReal(number);
        return refuse(QStringLiteral("a %1 value where a number belongs.").arg(kindName));
    case FieldType::DateTime: {
        if (isNull)
            return SetDate({0, DateStatus::Null});
        double days = number;
        if (isText && !isNumber && !ParseDateText(stored.toString(), days))
            return refuse(QStringLiteral("\"%1\" is not a date.").arg(stored.toString()));
        if (!isText && !isNumber)
            return refuse(QStringLiteral("a %1 value where a date belongs.").arg(kindName));
        QDate date;
        QTime time;
        if (!DateTimeFromOleDays(days, date, time))
            return refuse(QStringLiteral("%1 is not a date.").arg(stored.toString()));
        return SetDate({days, DateStatus::Valid});
    }
    case FieldType::Blob: {
        if (!m_buffer)
            return refuse(QStringLiteral("no row buffer to hold the value."));
        if (isNull)
            return SetBlob(QByteArray());
        if (kind != QMetaType::QByteArray) {
            ClearBlob();
            return refuse(QStringLiteral("a %1 value where binary data belongs.").arg(kindName));
        }
        QByteArray value;
        QString reason;
        if (!DecompressBlob(stored.toByteArray(), value, &reason)) {
            ClearBlob();
            return refuse(reason);
        }
        return SetBlob(value);
    }
    default: return refuse(QStringLiteral("unknown field type %1.").arg(Type));
    }
}
