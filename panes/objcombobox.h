#pragma once

#include <QComboBox>
#include <QList>
#include <QString>

/// @short A combo box of project objects by name, keeping an integer value
/// (usually an object id) with each entry.
///
/// Texts and values live in a store of slots; each entry's item data is its
/// slot. Deleting an entry frees its slot in place (or drops it when it is
/// the last), so the slots of the other entries stay valid however entries
/// move; a later insertion takes the first free slot. A sorted combo keeps
/// its entries in the order of their texts without regard to case.
class CObjComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CObjComboBox(QWidget* parent = nullptr);

    /// Entries go to their place by text instead of the position given.
    void SetSorted(bool sorted) { m_sorted = sorted; }
    bool IsSorted() const { return m_sorted; }

    /// Inserts the text at the combo index (-1: at the end; ignored when
    /// sorted) with its value; the combo index of the new entry.
    int InsertItem(int position, const QString& text, quint32 value);
    /// Removes the entry and frees its slot.
    void DeleteItem(int index);
    /// The entry's value; 0 for an index out of range or a free slot.
    quint32 GetItemValue(int index) const;
    /// The entry's text; empty for an index out of range or a free slot.
    QString ComboBoxItemText(int index) const;
    /// No selection: what is typed in the edit part; else the selected
    /// entry's text.
    QString GetCurrentText() const;
    /// Empties the combo and the store.
    void ComboBoxReset();
    /// Slots in the store, free ones included.
    int SlotCount() const { return int(m_texts.size()); }

private:
    int SlotOf(int index) const;

    QList<QString> m_texts;
    QList<quint32> m_values;
    QList<quint16> m_used;   // 1 in use, 0 free
    bool m_sorted = false;
};
