#pragma once

#include "ui/dlgbase.h"

#include <QStringList>

class CRichEditWnd;
class QCheckBox;
class QPushButton;

/// @short The tip of the day: one rich-text tip at a time from the tips
/// folder of the interface language, with next and previous buttons that
/// wrap, and whether the window opens after start-up.
///
/// Modeless; it deletes itself when closed (the frame keeps a QPointer).
/// Closing in any way stores the check box and the index of the tip to
/// show next in the profile section "dlgTips".
class CTipDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 225;
    enum Control : int {
        PreviousButton = 3,
        TextView = 2004,
        NextButton = 1142,
        StartUpCheck = 1143,
    };

    /// `programFolder` holds "Tipps/<language code>/" (trailing "/").
    CTipDlg(QWidget* parent, const QString& programFolder);
    ~CTipDlg() override;

    /// The profile's "ShowOnStartUp" (default on).
    static bool ShowOnStartUp();
    /// The tips folder of the current language, else of language 1.
    static QString TipsFolder(const QString& programFolder);

    const QStringList& TipTitles() const { return m_titles; }
    int CurrentIndex() const { return m_index; }
    QString Folder() const { return m_folder; }
    CRichEditWnd* TextControl() const { return m_text; }
    QCheckBox* StartUpBox() const { return m_startUp; }

    void ShowNextTip();
    void ShowPreviousTip();

    void done(int result) override;

protected:
    bool OnInitDialog() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildTipList();
    void ShowCurrentTip();
    void Save();

    QString m_folder;
    QString m_resourceTitle;
    QStringList m_titles;
    int m_index = 0;
    bool m_saved = false;
    CRichEditWnd* m_text = nullptr;
    QCheckBox* m_startUp = nullptr;
};
