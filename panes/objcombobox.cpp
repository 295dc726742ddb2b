#include "panes/objcombobox.h"

CObjComboBox::CObjComboBox(QWidget* parent) : QComboBox(parent) {}

int CObjComboBox::SlotOf(int index) const
{
    if (index < 0 || index >= count())
        return -1;
    bool ok = false;
    const int slot = itemData(index).toInt(&ok);
    return ok && slot >= 0 && slot < m_texts.size() && m_used[slot] ? slot : -1;
}

int CObjComboBox::InsertItem(int position, const QString& text, quint32 value)
{
    int slot = int(m_used.indexOf(quint16(0)));
    if (slot < 0) {
        slot = int(m_texts.size());
        m_texts.append(QString());
        m_values.append(0);
        m_used.append(0);
    }
    m_texts[slot] = text;
    m_values[slot] = value;
    m_used[slot] = 1;
    if (m_sorted) {
        position = 0;
        while (position < count() && ComboBoxItemText(position).compare(text, Qt::CaseInsensitive) <= 0)
            ++position;
    } else if (position < 0 || position > count()) {
        position = count();
    }
    insertItem(position, text, slot);
    return position;
}

void CObjComboBox::DeleteItem(int index)
{
    if (index < 0 || index >= count())
        return;
    bool ok = false;
    const int slot = itemData(index).toInt(&ok);
    removeItem(index);
    if (!ok || slot < 0 || slot >= m_texts.size())
        return;
    if (slot == m_texts.size() - 1) {
        m_texts.removeLast();
        m_values.removeLast();
        m_used.removeLast();
        return;
    }
    m_texts[slot].clear();
    m_values[slot] = 0;
    m_used[slot] = 0;
}

quint32 CObjComboBox::GetItemValue(int index) const
{
    const int slot = SlotOf(index);
    return slot < 0 ? 0 : m_values[slot];
}

QString CObjComboBox::ComboBoxItemText(int index) const
{
    const int slot = SlotOf(index);
    return slot < 0 ? QString() : m_texts[slot];
}

QString CObjComboBox::GetCurrentText() const
{
    if (currentIndex() < 0)
        return currentText();
    return ComboBoxItemText(currentIndex());
}

void CObjComboBox::ComboBoxReset()
{
    clear();
    m_texts.clear();
    m_values.clear();
    m_used.clear();
}
