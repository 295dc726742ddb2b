#pragma once

#include <QAbstractListModel>
#include <QList>

#include <functional>

/// @short The quick-code list: the codes used last, newest first, as a
/// model that a combo box shows. It lives with the frame whether a bar
/// shows it or not.
///
/// Texts come from the project through `TextOf`; a code it cannot name is
/// not listed. The length is option 9 of "qda", at least 1.
class CQuickCodeList : public QAbstractListModel {
    Q_OBJECT
public:
    /// The display text of a code; false when the project has no such code.
    using TextOf = std::function<bool(qint32 codeId, QString& text)>;

    explicit CQuickCodeList(QObject* parent = nullptr);

    void SetTextOf(TextOf textOf) { m_textOf = std::move(textOf); }
    /// The list's length: option 9, at least 1.
    static int Capacity();

    /// Puts the code at the top and selects it (moving it when listed);
    /// entries beyond the capacity go. False when the code has no text: an
    /// entry it had is gone then too.
    bool AddCode(qint32 codeId);
    /// Asks the code's text again in place; true for a code not listed.
    bool UpdateCode(qint32 codeId);
    void RemoveCode(qint32 codeId);
    void ResetCombo();

    /// The selected code; 0 when none.
    qint32 SelectedCode() const;
    int SelectedRow() const { return m_selected; }
    void SelectRow(int row);
    /// Every code id in list order.
    QList<qint32> Codes() const;
    int IndexOf(qint32 codeId) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    void SelectionChanged(int row);

private:
    struct Entry {
        qint32 id;
        QString text;
    };
    void RemoveRow(int row);

    QList<Entry> m_entries;
    int m_selected = -1;
    TextOf m_textOf;
};
