#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class CXmlDoc;

/// Value types of a property; every type keeps its value as text.
enum class PropertyType : qint32 {
    Group = 0,        ///< a heading without value
    Text = 1,
    Folder = 2,
    File = 3,
    Number = 4,       ///< an integer with a range, as type 5
    Integer = 5,      ///< with a range
    IntegerList = 6,
    Choice = 7,       ///< value: index of the chosen text item
    Color = 8,        ///< value: a COLORREF as integer
    Real = 9,
    DateTime = 10,
    Date = 11,        ///< date without time
    Boolean = 12,
};

/// "yyyyMMddhhmmss" of a valid date-time ("yyyyMMdd000000" with dateOnly);
/// empty for an invalid one.
QString FormatPropertyDateTime(const QDateTime& value, bool dateOnly = false);
/// Reads a text of exactly 14 characters by leading digits of each field;
/// any other text gives midnight of 30 December 1899.
QDateTime ParsePropertyDateTime(const QString& text);

/// @short One typed property: id, group, caption, value text, range, items.
class CPropertyRecord {
public:
    CPropertyRecord() = default;
    /// The caption is given in the current language.
    CPropertyRecord(qint32 id, qint32 group, const QString& name, PropertyType type, bool visible = true,
                    bool flag2 = false);

    /// Each setter writes the value text of its type and marks the record
    /// dirty when the text changed; each returns the dirty flag.
    bool SetString(const QString& value);
    bool SetInt(qint32 value);
    bool SetDouble(double value);
    bool SetBool(bool value);
    bool SetDateTime(const QDateTime& value);
    /// Replaces the value text; dirty stays as it is.
    void SetValueText(const QString& value) { m_value = value; }

    QString GetValue() const { return m_value; }
    /// Leading decimal integer of the text, 0 when none.
    qint32 GetIntValue() const;
    double GetDoubleValue() const;
    /// Any non-zero integer is true.
    bool GetBoolValue() const { return GetIntValue() != 0; }
    QDateTime GetDateTimeValue() const { return ParsePropertyDateTime(m_value); }

    /// The value text as an options file may give it for this record: the
    /// text itself, an integer clamped into the range; nothing when it does
    /// not fit the type, so that the record keeps its value.
    std::optional<QString> AcceptedValueText(const QString& text) const;

    qint32 GetId() const { return m_id; }
    qint32 GetGroup() const { return m_group; }
    PropertyType GetType() const { return m_type; }
    QString GetName() const { return m_name; }
    bool IsVisible() const { return m_visible; }
    bool GetFlag2() const { return m_flag2; }
    bool IsDirty() const { return m_dirty; }
    void ClearDirty() { m_dirty = false; }

    void SetLimits(qint32 minimum, qint32 maximum);
    qint32 GetMinimum() const { return m_minimum; }
    qint32 GetMaximum() const { return m_maximum; }
    int GetDecimals() const { return m_decimals; }
    void SetDecimals(int decimals) { m_decimals = decimals; }
    /// Image set of integer-list items: resource id and two numbers (the
    /// second is the first when given as 0).
    void SetRange(qint32 resourceId, qint32 first, qint32 second);
    qint32 GetRangeKind() const { return m_imageResource; }
    void GetRange(qint32& first, qint32& second) const;

    void AddIntItem(qint32 value) { m_intItems.push_back(value); }
    void AddStringItem(const QString& text) { m_textItems.append(text); }
    /// Integer items of an integer list, text items of a choice, else 0.
    int GetItemCount() const;
    qint32 GetIntItem(int index) const;
    QString GetStringItem(int index) const;
    /// The text items whatever the type: an icon list (6) names its
    /// entries with them.
    QStringList GetStringItems() const { return m_textItems; }

private:
    bool SetText(const QString& text);

    qint32 m_id = 0;
    qint32 m_group = 0;
    PropertyType m_type = PropertyType::Group;
    QString m_name;
    QString m_value;
    qint32 m_minimum = 0;
    qint32 m_maximum = 0;
    qint32 m_imageResource = 0;
    qint32 m_imageFirst = 0;
    qint32 m_imageSecond = 0;
    std::vector<qint32> m_intItems;
    QStringList m_textItems;
    int m_decimals = 2;   // digits after the point of a real
    bool m_visible = true;
    bool m_flag2 = false;
    bool m_dirty = false;
};

/// @short A typed property list keyed by id, in insertion order, with a
/// title (the set name of the options file) and a modified flag.
class CPropertyList {
public:
    void SetTitle(const QString& title) { m_title = title; }
    QString GetTitle() const { return m_title; }
    int GetCount() const { return int(m_records.size()); }
    bool IsModified() const { return m_modified; }
    /// Clears every dirty flag and the modified flag.
    void ClearModified();
    /// Removes every record (a rebuild of the definitions starts here).
    void RemoveAll();

    /// Appends a copy with its dirty flag cleared.
    void Add(const CPropertyRecord& record);
    bool GetAt(int index, CPropertyRecord& record) const;
    /// Index of the first record with the id, -1 when absent.
    int FindIndex(qint32 id) const;
    bool IsItemModified(qint32 id) const;

    /// Nothing when the id is absent; the list becomes modified when the
    /// record is dirty afterwards.
    void SetString(qint32 id, const QString& value);
    void SetInt(qint32 id, qint32 value);
    void SetDouble(qint32 id, double value);
    void SetDateTime(qint32 id, const QDateTime& value);
    void SetBool(qint32 id, bool value);
    /// Replaces the value text without touching dirty or modified.
    void SetValueText(qint32 id, const QString& value);

    QString GetString(qint32 id) const;
    qint32 GetInt(qint32 id) const;
    double GetDouble(qint32 id) const;
    QDateTime GetDateTime(qint32 id) const;
    bool GetBool(qint32 id) const;

    /// Adds a "PROPERTIES" element (attribute "id" = title) with one
    /// "PROPERTY" element per record that is not a group.
    bool WriteXml(CXmlDoc& xml) const;
    /// Reads the "PROPERTY" children of the entered "PROPERTIES" element.
    /// Unknown ids are skipped; a value that does not fit its record's type
    /// is refused and the record keeps its value. Dirty and modified stay.
    bool ReadXml(CXmlDoc& xml);

private:
    CPropertyRecord* Find(qint32 id);
    const CPropertyRecord* Find(qint32 id) const;
    template <typename Setter>
    void Set(qint32 id, Setter setter);

    std::vector<CPropertyRecord> m_records;
    QString m_title;
    bool m_modified = false;
};
