#include "foundation/optionsrecord.h"

#include "foundation/filehelpers.h"
#include "foundation/stringstore.h"
#include "foundation/topicdisplaysource.h"

#include <climits>
#include <optional>
#include <span>

namespace {

constexpr qint32 kCodeTopic = 8;

// One value of a text form: an integer or a boolean member, and the range
// a read value must lie in.
struct Field {
    qint32 OptionsRecord::*number = nullptr;
    bool OptionsRecord::*flag = nullptr;
    qint32 minimum = INT_MIN;
    qint32 maximum = INT_MAX;
};

using R = OptionsRecord;
constexpr qint32 kAny = INT_MAX;

const Field kLongForm[] = {
    {&R::hitExtent, nullptr, 0, 2},       {&R::paragraphsBefore, nullptr, 0, 100},
    {&R::l3},                             {nullptr, &R::l4},
    {&R::sortOrder, nullptr, 0, 3},       {&R::retrievalFunction, nullptr, 0, 9},
    {nullptr, &R::weightFilter},          {&R::weightMinimum},
    {&R::weightMaximum},                  {&R::l10},
    {nullptr, &R::exchangeVariables},    {nullptr, &R::exchangeCodings},
    {nullptr, &R::exchangeMemos},        {nullptr, &R::l14},
    {nullptr, &R::l15},                   {nullptr, &R::l16},
    {nullptr, &R::exchangeProtocol},     {nullptr, &R::l18},
    {nullptr, &R::l19},                   {&R::l20},
    {&R::paragraphsAfter, nullptr, 0, 100}, {nullptr, &R::l22},
    {&R::exchangeCodingMode},           {nullptr, &R::exchangeLinks},
    {&R::l25},                            {&R::l26},
    {&R::l27},
};

// Codes are ids: never negative.
const Field kShortForm[] = {
    {&R::minCount},           {&R::codeA, nullptr, 0, kAny},    {&R::enclosingCode, nullptr, 0, kAny},
    {&R::enclosingVariant},   {&R::excludedCode, nullptr, 0, kAny}, {&R::s6},
    {&R::followingCode, nullptr, 0, kAny}, {&R::followingDistance}, {&R::followingVariant},
    {&R::nearCode, nullptr, 0, kAny},      {&R::nearDistance},      {&R::nearVariant},
};

const OptionsRecord kDefaults;

void Reset(OptionsRecord& r, const Field& f)
{
    if (f.number)
        r.*f.number = kDefaults.*f.number;
    else
        r.*f.flag = kDefaults.*f.flag;
}

// Reads the fields in order from "|"-separated values. Returns the offset
// after the "|" that ends the last field, or -1 when the text ended first.
qsizetype ReadFields(OptionsRecord& r, QStringView text, std::span<const Field> fields)
{
    qsizetype pos = 0;
    for (const Field& f : fields) {
        const qsizetype bar = text.indexOf(u'|', pos);
        const std::optional<qint32> value = ReadWholeInt(bar < 0 ? text.mid(pos) : text.mid(pos, bar - pos));
        if (value && *value >= f.minimum && *value <= f.maximum) {
            if (f.number)
                r.*f.number = *value;
            else
                r.*f.flag = *value != 0;
        }
        if (bar < 0)
            return -1;
        pos = bar + 1;
    }
    return pos;
}

QString WriteFields(const OptionsRecord& r, std::span<const Field> fields)
{
    QStringList values;
    for (const Field& f : fields)
        values << QString::number(f.number ? r.*f.number : int(r.*f.flag));
    return values.join(u'|');
}

// Text ids of the function names, by function.
const int kFunctionTexts[] = {57791, 57792, 57794, 57795, 57803, 57804, 57805, 57806, 57807, 57808};

}  // namespace

void OptionsRecord::Copy(const OptionsRecord& other)
{
    hitExtent = other.hitExtent;
    paragraphsBefore = other.paragraphsBefore;
    l3 = other.l3;
    l4 = other.l4;
    sortOrder = other.sortOrder;
    retrievalFunction = other.retrievalFunction;
    paragraphsAfter = other.paragraphsAfter;
    weightFilter = other.weightFilter;
    weightMinimum = other.weightMinimum;
    weightMaximum = other.weightMaximum;
    l10 = other.l10;
    for (const Field& f : kShortForm)
        this->*f.number = other.*f.number;
    m_database = other.m_database;
    codeIds = other.codeIds;
}

QString OptionsRecord::Format(bool longForm) const
{
    if (longForm)
        return WriteFields(*this, kLongForm);
    QString text = WriteFields(*this, kShortForm) + QStringLiteral("|||");
    for (qint32 id : codeIds)
        text += u'|' + QString::number(id);
    return text;
}

void OptionsRecord::Parse(const QString& text, bool longForm)
{
    if (longForm) {
        for (const Field& f : kLongForm)
            if (f.flag != &R::l14 && f.flag != &R::l15 && f.flag != &R::l16)   // they keep their values
                Reset(*this, f);
        ReadFields(*this, text, kLongForm);
        if (sortOrder == 0)
            sortOrder = 1;
        return;
    }
    for (const Field& f : kShortForm)
        Reset(*this, f);
    codeIds.clear();
    const qsizetype rest = ReadFields(*this, text, kShortForm);
    if (minCount < 2)
        minCount = 2;
    if (rest < 0 || rest >= text.size())
        return;
    const qsizetype marker = text.indexOf(QLatin1String("|||"), rest);
    if (marker >= 0) {
        // Codes up to the first that is not a positive id; an empty field ends the list too.
        for (QStringView id : QStringView(text).mid(marker + 3).split(u'|')) {
            const std::optional<qint32> value = ReadWholeInt(id);
            if (!value || *value <= 0)
                break;
            codeIds.push_back(*value);
        }
    }
    s6 = 0;
}

QString OptionsRecord::Describe(bool detail, int function) const
{
    if (function == -1)
        function = retrievalFunction;
    if (function < 0 || function > 9)
        return {};
    QString text = LoadString(kFunctionTexts[function]);
    if (!detail || function < 4)
        return text;
    if (function == 4)
        return QStringLiteral("%1 [%2]").arg(text, QString::number(minCount));
    const qint32 code = function == 5   ? codeA
                        : function == 6 ? enclosingCode
                        : function == 7 ? excludedCode
                        : function == 8 ? followingCode
                                        : nearCode;
    if (!m_database || !code)
        return text + QStringLiteral(" [?]");
    const QString name = m_database->FormatRowDisplay(kCodeTopic, code, false);
    if (function <= 7)
        return QStringLiteral("%1 [%2]").arg(text, name);
    return QStringLiteral("%1 [%2; %3]").arg(text, name, QString::number(function == 8 ? followingDistance : nearDistance));
}

QString OptionsRecord::GetFunctionName(int function) const
{
    if (function == -1)
        function = retrievalFunction;
    return (function >= 0 && function <= 9) ? LoadString(57809 + function) : QString();
}
