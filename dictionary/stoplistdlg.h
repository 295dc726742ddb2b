#pragma once

#include "ui/dlgbase.h"
#include "ui/redit4list.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class CKorDoc;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

/// @short Edits the project's stop list word by word, replaces it from a
/// text file, adds a file's words to it and exports it.
///
/// It works on the document's list directly; closing ends with 1 when
/// anything changed (the caller then saves the list to its file), else 2.
class CStopListDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 216;
    static constexpr int kWordUnits = 63;
    static constexpr int kModified = 1;
    static constexpr int kUnchanged = 2;

    enum Control : int {
        WordList = 1087,
        NewWord = 1093,
        DeleteWords = 558,
        ReplaceButton = 3,
        AddButton = 5,
        ExportButton = 4,
        CloseButton = 2,
        HelpButton = 9,
        Label = 1225,
        FileLabel = 1017,
    };

    /// recent: the frame's recently used stop-list files (newest first);
    /// stopListPath: the current stop-list file, both updated here.
    CStopListDlg(QWidget* parent, CKorDoc* document, QStringList* recent, QString* stopListPath);
    ~CStopListDlg() override;

    QListWidget* List() const { return m_list; }
    CREdit4List* Editor() const { return m_editor; }
    bool IsModified() const { return m_modified; }

    /// Opens the in-place editor over the row (a new row at the top when null).
    void EditRow(QListWidgetItem* item);
    void DeleteSelected();
    void ReadFromFile(bool replace);
    void ExportList();

    void reject() override;

protected:
    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void UpdateButtons();
    void FinishEdit(bool accepted);
    /// The file becomes the current stop-list file, first of the recent ones.
    void UseFile(const QString& path);
    void Close();

    CKorDoc* m_document;
    QStringList* m_recent;
    QString* m_stopListPath;
    QString m_folder;
    bool m_modified = false;
    QListWidget* m_list = nullptr;
    QLabel* m_fileLabel = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_export = nullptr;
    QPointer<CREdit4List> m_editor;
    QListWidgetItem* m_edited = nullptr;
};
