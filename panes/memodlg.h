#pragma once

#include "document/kordoc.h"
#include "panes/noticedlg.h"

#include <QDateTime>

#include <functional>

class CRichEditCtrlEx;

/// @short The memo window: memos of the project in tabs, each with title,
/// author, memo type and date in the grid, its codes and its rich text.
///
/// Memos are read through the owner's requests (-199 the row, -202 the
/// names of codes and of what the memo is attached to); edits are written
/// back through `storer` before every switch and close.
class CMemoDlg : public NoticeDlg {
    Q_OBJECT
public:
    /// The body of a memo without text: one empty Arial 10-point paragraph.
    static const QByteArray& DefaultBody();
    /// Grid items.
    enum Item : qint32 { TitleItem = 2, AuthorItem = 3, TypeItem = 4, DateItem = 5 };
    static constexpr int kTypeCount = 11;

    explicit CMemoDlg(QWidget* parent = nullptr);

    /// What the window writes of the current memo; the storer answers
    /// false when the project refused it.
    using Edit = CKorDoc::MemoEdit;
    std::function<bool(const Edit&)> storer;
    /// Where a saved file is asked for; the default asks the message
    /// service's file prompt.
    std::function<QString(const QString& proposed)> savePrompt;
    /// The project's name for the print-out's title.
    std::function<QString()> projectName;

    /// The header text the print-out and the saved file begin with.
    QString BuildHeaderText() const;
    /// The memo with its header into a rich edit.
    void FillRichEdit(CRichEditCtrlEx& edit);
    /// Writes the memo as RTF to the path (a temporary file renamed into
    /// place); false, with the file unchanged, when it cannot be written.
    bool WriteRtfFile(const QString& path);
    QString Attachment() const { return m_attachment; }
    QString HeaderLine() const { return m_header->TitleText(); }
    const QByteArray& Body() const { return m_body; }
    QList<qint32> Codes() const;
    CPropertyList& Properties() { return m_properties; }

    QString GetTitle() const override { return m_title; }
    QString GetMemoTitle(qint32 memo) override;
    void PrintMemo() override;
    void SaveAsRtf() override;
    bool StoreMemo() override;
    bool LoadMemo() override;
    bool BuildPropertyGrid() override;

protected:
    void OnGridBuilt() override;

private:
    QString m_title;
    QString m_attachment;
};
