#pragma once

#include "ui/dlgbase.h"

#include <QList>

class CColourCheckList;
class RequestOwner;
class QPushButton;
struct ListNotifyInfo;

/// @short The small floating window of the user's favourite codes: a click
/// on a code's name codes the browser's selection with it (the frame does
/// the coding), a click on its check box only ticks it, and the ticked
/// codes can be removed.
///
/// The window shows and edits the project's code-id array, which outlives
/// it; rows are in the array's order. Texts and colours come from the
/// owner's answers: texts when a row is added, colours whenever a row is
/// drawn. It deletes itself when closed; the frame keeps a QPointer.
class CodeToolBarDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3125;
    static constexpr int kListId = 1032;
    static constexpr int kTickAllId = 3;
    static constexpr int kRemoveId = 1169;
    static constexpr int kHelpId = 9;
    static constexpr int kHelpTopic = 1009;

    /// `codes` (not owned) must outlive the window; `owner` answers the
    /// rows' requests and may be null.
    CodeToolBarDlg(QList<qint32>& codes, RequestOwner* owner, QWidget* parent = nullptr);

    /// A row for the code at the top; nothing when it is listed already.
    void AddCode(qint32 code);
    /// Removes the code's rows and its first entry in the array.
    void RemoveCode(qint32 code);
    /// The codes changed: the rows are drawn with their colours anew.
    void RefreshColours();

    CColourCheckList* List() const { return m_list; }
    QPushButton* RemoveButton() const { return m_remove; }
    QPushButton* TickAllButton() const { return m_tickAll; }
    bool IsTicked(int row) const;
    /// The code ids of the rows, top to bottom.
    QList<qint32> RowCodes() const;

signals:
    /// A code's name was clicked: code the browser's selection with it.
    void CodeSelection(qint32 code);

protected:
    bool OnInitDialog() override;

private:
    void InsertRow(int row, qint32 code);
    void SetTicked(int row, bool ticked);
    void RemoveTicked();
    void UpdateRemoveButton();
    /// Asks the owner about the code; true when answered.
    bool AskCode(qint32 code, quint32 mask, ListNotifyInfo& info);
    QString CodeText(qint32 code);
    quint32 CodeColour(qint32 code);

    QList<qint32>& m_codes;
    RequestOwner* m_owner;
    CColourCheckList* m_list = nullptr;
    QPushButton* m_tickAll = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_help = nullptr;
};
