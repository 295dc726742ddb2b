#pragma once

#include "store/storeids.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/// The first units of a text, at most maxUnits UTF-16 units, never ending
/// in the first half of a surrogate pair.
QString CutToUnits(const QString& text, qsizetype maxUnits);

/// @short One field of one topic: a row of sys_Fields plus its place in the
/// topic's packed rows. A plain value; copies are independent.
struct FieldDescriptor {
    static constexpr qsizetype kNameUnits = 63;     ///< Name and Source
    static constexpr qsizetype kDefaultUnits = 255; ///< DefaultValue
    static constexpr qint32 kFirstUserFieldId = 100000001;

    qint32 ID = -1;  ///< unique within the topic; 0 is the key "ID"; user fields from 100000001
    qint32 Type = 0;  ///< FieldType code; may be a code this program does not know
    qint32 State = 0;  ///< FieldState bits
    qint32 ParentTopicID = 0;  ///< topic whose key this integer field holds; 0 = no reference
    QString Name;  ///< display name
    QString Source;  ///< column name in the topic's table
    qint32 Offset = 0;  ///< bytes from the row start
    qint32 Size = 0;  ///< bytes in the row
    QString DefaultValue;  ///< as text
    qint32 Categorial = 0;  ///< 1 = categorial variable

    /// The cleared state: ID -1, everything else 0 or empty.
    void Init() { *this = FieldDescriptor(); }
    void CopyFrom(const FieldDescriptor& other) { *this = other; }
    bool HasState(qint32 bits) const { return (State & bits) != 0; }

    /// A descriptor from the values of one sys_Fields row: texts cut to
    /// their lengths, Offset 0, Size from the type.
    static FieldDescriptor FromFieldRecord(qint32 id, const QString& name, const QString& source, qint32 type,
                                           qint32 state, qint32 parentTopicId, const QString& defaultValue,
                                           qint32 categorial);
    /// Bytes a value of the type takes in a row; 0 for memo and unknown codes.
    static qint32 SizeOfType(qint32 type);
    static bool IsKnownType(qint32 type) { return type >= FieldType::Integer && type <= FieldType::LongText; }
    /// Text capacity in UTF-16 units of a text type (without the NUL); 0 otherwise.
    static qsizetype TextUnitsOfType(qint32 type);

    /// The in-row image of DefaultValue, Size bytes; false when the field
    /// takes no row bytes. A date default that does not parse gives zeros.
    bool BuildDefaultBytes(QByteArray& out) const;
};

/// Display name of a user-selectable type (text, integer, real, date and
/// time, boolean); empty for any other code.
QString FieldTypeName(qint32 type);
/// Appends the user-selectable types, in the order the user sees them.
void FieldTypeChoices(QStringList& names, QList<qint32>& codes);
