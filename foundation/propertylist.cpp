#include "foundation/propertylist.h"

#include "foundation/filehelpers.h"
#include "foundation/xmldoc.h"

#include <algorithm>
#include <cmath>

QString FormatPropertyDateTime(const QDateTime& value, bool dateOnly)
{
    if (!value.isValid())
        return {};
    const QDate d = value.date();
    const QTime t = dateOnly ? QTime(0, 0) : value.time();
    return QString::asprintf("%04d%02d%02d%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                             t.second());
}

QDateTime ParsePropertyDateTime(const QString& text)
{
    if (text.size() != 14)
        return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    const QStringView v(text);
    return QDateTime(QDate(ReadLeadingInt(v.mid(0, 4)), ReadLeadingInt(v.mid(4, 2)), ReadLeadingInt(v.mid(6, 2))),
                     QTime(ReadLeadingInt(v.mid(8, 2)), ReadLeadingInt(v.mid(10, 2)), ReadLeadingInt(v.mid(12, 2))));
}

CPropertyRecord::CPropertyRecord(qint32 id, qint32 group, const QString& name, PropertyType type, bool visible,
                                 bool flag2)
    : m_id(id), m_group(group), m_type(type), m_name(name), m_visible(visible), m_flag2(flag2)
{
}

bool CPropertyRecord::SetText(const QString& text)
{
    if (text != m_value) {
        m_value = text;
        m_dirty = true;
    }
    return m_dirty;
}

bool CPropertyRecord::SetString(const QString& value)
{
    return SetText(value);
}

bool CPropertyRecord::SetInt(qint32 value)
{
    return SetText(QString::number(value));
}

bool CPropertyRecord::SetDouble(double value)
{
    return SetText(QString::number(value, 'f', m_decimals));
}

bool CPropertyRecord::SetBool(bool value)
{
    return SetText(value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool CPropertyRecord::SetDateTime(const QDateTime& value)
{
    return SetText(FormatPropertyDateTime(value, m_type == PropertyType::Date));
}

qint32 CPropertyRecord::GetIntValue() const
{
    return ReadLeadingInt(m_value);
}

double CPropertyRecord::GetDoubleValue() const
{
    // The leading number, written with a point whatever the locale.
    const QStringView text(m_value);
    const auto digits = [&text](qsizetype i) {
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        return i;
    };
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    const qsizetype begin = i;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    i = digits(i);
    if (i < text.size() && text[i] == u'.')
        i = digits(i + 1);
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype e = i + 1;
        if (e < text.size() && (text[e] == u'-' || text[e] == u'+'))
            ++e;
        if (digits(e) > e)
            i = digits(e);
    }
    bool ok = false;
    const double value = text.mid(begin, i - begin).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

std::optional<QString> CPropertyRecord::AcceptedValueText(const QString& text) const
{
    switch (m_type) {
    case PropertyType::Group:
        return std::nullopt;
    case PropertyType::Text:
    case PropertyType::Folder:
    case PropertyType::File:
        return text;
    case PropertyType::Number:
    case PropertyType::Integer: {
        const std::optional<qint32> value = ReadWholeInt(text);
        if (!value)
            return std::nullopt;
        if (m_minimum < m_maximum)
            return QString::number(std::clamp(*value, m_minimum, m_maximum));
        return text;
    }
    case PropertyType::Choice: {
        const std::optional<qint32> value = ReadWholeInt(text);
        if (!value || *value < 0 || *value >= GetItemCount())
            return std::nullopt;
        return text;
    }
    case PropertyType::IntegerList:
    case PropertyType::Color:
    case PropertyType::Boolean:
        return ReadWholeInt(text) ? std::optional<QString>(text) : std::nullopt;
    case PropertyType::Real: {
        bool ok = false;
        const double value = text.toDouble(&ok);
        return (ok && std::isfinite(value)) ? std::optional<QString>(text) : std::nullopt;
    }
    case PropertyType::DateTime:
    case PropertyType::Date:
        if (text.isEmpty() || (text.size() == 14 && ParsePropertyDateTime(text).isValid()))
            return text;
        return std::nullopt;
    }
    return std::nullopt;
}

void CPropertyRecord::SetLimits(qint32 minimum, qint32 maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

void CPropertyRecord::SetRange(qint32 resourceId, qint32 first, qint32 second)
{
    m_imageResource = resourceId;
    m_imageFirst = first;
    m_imageSecond = second ? second : first;
}

void CPropertyRecord::GetRange(qint32& first, qint32& second) const
{
    first = m_imageFirst;
    second = m_imageSecond;
}

int CPropertyRecord::GetItemCount() const
{
    if (m_type == PropertyType::IntegerList)
        return int(m_intItems.size());
    if (m_type == PropertyType::Choice)
        return int(m_textItems.size());
    return 0;
}

qint32 CPropertyRecord::GetIntItem(int index) const
{
    return (m_type == PropertyType::IntegerList && index >= 0 && index < int(m_intItems.size()))
               ? m_intItems[size_t(index)]
               : 0;
}

QString CPropertyRecord::GetStringItem(int index) const
{
    return (m_type == PropertyType::Choice && index >= 0 && index < m_textItems.size()) ? m_textItems.at(index)
                                                                                         : QString();
}

void CPropertyList::ClearModified()
{
    for (CPropertyRecord& r : m_records)
        r.ClearDirty();
    m_modified = false;
}

void CPropertyList::RemoveAll()
{
    m_records.clear();
    m_modified = false;
}

void CPropertyList::Add(const CPropertyRecord& record)
{
    m_records.push_back(record);
    m_records.back().ClearDirty();
}

bool CPropertyList::GetAt(int index, CPropertyRecord& record) const
{
    if (index < 0 || index >= GetCount())
        return false;
    record = m_records[size_t(index)];
    return true;
}

int CPropertyList::FindIndex(qint32 id) const
{
    for (size_t i = 0; i < m_records.size(); ++i)
        if (m_records[i].GetId() == id)
            return int(i);
    return -1;
}

CPropertyRecord* CPropertyList::Find(qint32 id)
{
    const int index = FindIndex(id);
    return index < 0 ? nullptr : &m_records[size_t(index)];
}

const CPropertyRecord* CPropertyList::Find(qint32 id) const
{
    const int index = FindIndex(id);
    return index < 0 ? nullptr : &m_records[size_t(index)];
}

bool CPropertyList::IsItemModified(qint32 id) const
{
    const CPropertyRecord* r = Find(id);
    return r && r->IsDirty();
}

template <typename Setter>
void CPropertyList::Set(qint32 id, Setter setter)
{
    if (CPropertyRecord* r = Find(id))
        if (setter(*r))
            m_modified = true;
}

void CPropertyList::SetString(qint32 id, const QString& value)
{
    Set(id, [&](CPropertyRecord& r) { return r.SetString(value); });
}

void CPropertyList::SetInt(qint32 id, qint32 value)
{
    Set(id, [&](CPropertyRecord& r) { return r.SetInt(value); });
}

void CPropertyList::SetDouble(qint32 id, double value)
{
    Set(id, [&](CPropertyRecord& r) { return r.SetDouble(value); });
}

void CPropertyList::SetDateTime(qint32 id, const QDateTime& value)
{
    Set(id, [&](CPropertyRecord& r) { return r.SetDateTime(value); });
}

void CPropertyList::SetBool(qint32 id, bool value)
{
    Set(id, [&](CPropertyRecord& r) { return r.SetBool(value); });
}

void CPropertyList::SetValueText(qint32 id, const QString& value)
{
    if (CPropertyRecord* r = Find(id))
        r->SetValueText(value);
}

QString CPropertyList::GetString(qint32 id) const
{
    const CPropertyRecord* r = Find(id);
    return r ? r->GetValue() : QString();
}

qint32 CPropertyList::GetInt(qint32 id) const
{
    const CPropertyRecord* r = Find(id);
    return r ? r->GetIntValue() : 0;
}

double CPropertyList::GetDouble(qint32 id) const
{
    const CPropertyRecord* r = Find(id);
    return r ? r->GetDoubleValue() : 0.0;
}

QDateTime CPropertyList::GetDateTime(qint32 id) const
{
    const CPropertyRecord* r = Find(id);
    return r ? r->GetDateTimeValue() : QDateTime();
}

bool CPropertyList::GetBool(qint32 id) const
{
    const CPropertyRecord* r = Find(id);
    return r && r->GetBoolValue();
}

bool CPropertyList::WriteXml(CXmlDoc& xml) const
{
    if (!xml.AddElement(QStringLiteral("PROPERTIES")))
        return false;
    if (!m_title.isEmpty() && !xml.SetCurrentAttribute(u"id", m_title))
        return false;
    if (!xml.EnterElement())
        return false;
    for (const CPropertyRecord& r : m_records) {
        if (r.GetType() == PropertyType::Group)
            continue;
        if (!xml.AddElement(QStringLiteral("PROPERTY"), r.GetValue()) || !xml.SetCurrentIntAttribute(u"id", r.GetId()))
            return false;
    }
    return xml.LeaveElement();
}

bool CPropertyList::ReadXml(CXmlDoc& xml)
{
    while (xml.FindElement(QStringLiteral("PROPERTY"))) {
        const qint32 id = ReadLeadingInt(xml.GetElementAttribute(u"id"));
        const QString text = xml.GetElementData();
        CPropertyRecord* r = Find(id);
        if (!r)
            continue;
        if (const std::optional<QString> accepted = r->AcceptedValueText(text))
            r->SetValueText(*accepted);
    }
    return true;
}
