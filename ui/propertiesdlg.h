#pragma once

#include "ui/dlgbase.h"

class CPropertyGridCtrl;
class CPropertyList;
class QPushButton;

/// @short The modal dialog that edits one property list in the grid.
///
/// The caller sets the title, the placement section and the list, runs the
/// dialog, and on OK asks the list what changed (IsModified,
/// IsItemModified), acts on it and clears the marks. OK writes the shown
/// records back; the extra button ends the dialog with kExtraResult.
class CPropertiesDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 258;
    static constexpr int kGridId = 1196;
    static constexpr int kHelpId = 9;
    static constexpr int kExtraId = 6;
    static constexpr int kExtraResult = 6;

    /// A help topic of 0 hides the help button, an extra text id of 0 the
    /// extra button.
    CPropertiesDlg(QWidget* parent, int helpKind, int helpTopic, int helpTipTextId, int extraTextId,
                   bool largeSize = false);

    /// The list to edit (not owned), set before the dialog runs.
    void SetList(CPropertyList* list) { m_list = list; }
    CPropertyGridCtrl* Grid() const { return m_grid; }
    QPushButton* HelpButton() const { return m_help; }
    QPushButton* ExtraButton() const { return m_extra; }
    void accept() override;

protected:
    bool OnInitDialog() override;

private:
    CPropertyGridCtrl* m_grid = nullptr;
    QPushButton* m_help = nullptr;
    QPushButton* m_extra = nullptr;
    CPropertyList* m_list = nullptr;
    int m_helpKind;
    int m_helpTopic;
    int m_helpTip;
    int m_extraText;
    bool m_large;
};
