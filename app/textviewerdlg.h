#pragma once

#include "ui/dlgbase.h"

#include <QByteArray>

#include <functional>

class CRichEditWnd;
class QPushButton;

/// @short A read-only rich text in a dialog: one of the help texts shipped
/// as RTF beside the program, or a text handed over in memory.
///
/// Kinds 1 to 8 and 11 (and any unknown kind, which shows the shortcuts)
/// read their file from "Manuals/<language>/", falling back to English; a
/// missing file leaves the view empty. Kinds 9 and 10 show the RTF bytes the
/// caller puts into Buffer() before running the dialog; kind 9 adds the
/// related-document, save and help buttons and its title ends in the given
/// text.
///
/// exec() ends with Accepted (1), Rejected (2, also when the window is
/// closed) or SavedResult (6, after the save button; Buffer() then holds
/// the shown text as RTF). The copy button puts the whole text on the
/// clipboard as RTF and as plain text and leaves the dialog open.
class CTextViewerDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3124;
    static constexpr int SavedResult = 6;
    enum Kind : int {
        TableImport = 1,
        DocumentPictures = 2,
        CodeMatrixBrowser = 3,
        CodeRelationsBrowser = 4,
        SequenceBrowser = 5,
        TableCodeCrosstab = 6,
        CodeRelationsTable = 7,
        CodeTableImport = 8,
        SupportInformation = 9,   ///< bytes handed over; related document, save and help
        InMemoryText = 10,        ///< bytes handed over
        TypologyBrowser = 11,
        Shortcuts = 0,            ///< any other kind
    };
    enum Control : int {
        OkButton = 1,
        CopyButton = 2,
        RelatedButton = 3,
        SaveButton = 4,
        HelpButton = 9,
        TextView = 2004,
    };
    static constexpr int kHelpTopic = 1041;
    static constexpr int kTextMargin = 5;

    /// `text`: the program folder for the file kinds; for kind 9 the text
    /// that follows the title.
    CTextViewerDlg(QWidget* parent, const QString& text, int kind);

    /// The file a file kind reads under the folder, in the current language
    /// or else in English (whether or not it exists); empty for kinds 9, 10.
    static QString HelpTextFile(const QString& folder, int kind);
    /// The title's text id of a kind; 0 for kinds without one.
    static int TitleTextId(int kind);

    /// RTF to show (kinds 9 and 10: filled by the caller before exec);
    /// emptied once shown; after the save button the shown text.
    QByteArray& Buffer() { return m_buffer; }
    /// What the related-document button (kind 9) opens and the opener that
    /// opens it safely; without an opener the button stays disabled.
    void SetRelatedDocument(const QString& target, std::function<bool(const QString&)> opener);

    int Kind() const { return m_kind; }
    QString FilePath() const { return m_filePath; }
    CRichEditWnd* TextControl() const { return m_view; }

    /// The button actions, as the buttons run them.
    void CopyToClipboard() const;
    void SaveAndClose();
    void OpenRelatedDocument();
    /// Escape and closing the window end with 2.
    void reject() override;

protected:
    bool OnInitDialog() override;

private:
    int m_kind;
    QString m_folderOrTitle;
    QString m_filePath;
    QString m_relatedTarget;
    std::function<bool(const QString&)> m_opener;
    QByteArray m_buffer;
    CRichEditWnd* m_view = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_related = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_help = nullptr;
};
