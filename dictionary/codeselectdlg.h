#pragma once

#include "foundation/codeselitem.h"
#include "ui/dlgbase.h"

#include <QList>
#include <QPair>

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLayout;
class QListWidget;
class QPushButton;
class QSpinBox;

/// @short The codes of a command as a check-box list, with "check all" and
/// "uncheck all" and a check box the caller may allow.
///
/// Rows are sorted by parent, then by code; each row knows its item by
/// index. Only OK writes the ticks back into the items.
class CCodeSelectDlgBase : public CResizableDlgBase {
    Q_OBJECT
public:
    enum Control : int {
        OkButton = 1,
        CancelButton = 2,
        CheckAllButton = 3,
        UncheckAllButton = 4,
        HelpButton = 9,
        CodeList = 1032,
        OnlyActivated = 1087,
        CodesLabel = 1225,
    };

    CodeSelItemArray* m_items = nullptr;  ///< not owned
    bool m_onlyActivated = false;         ///< check box 1087, exchanged
    bool m_allowOnlyActivated = false;    ///< the caller lets the user choose it

    QListWidget* List() const { return m_list; }
    void SetAllChecked(bool checked);
    void accept() override;

protected:
    CCodeSelectDlgBase(int templateId, int titleTextId, QWidget* parent);
    bool OnInitDialog() override;
    /// A row's tick changed.
    virtual void OnTickChanged() {}
    /// Where a derived dialog puts its own controls, above the buttons.
    QLayout* ExtraArea() const { return m_extra; }
    QHBoxLayout* ButtonRow() const { return m_buttonRow; }

    QListWidget* m_list = nullptr;
    QPushButton* m_checkAll = nullptr;
    QPushButton* m_uncheckAll = nullptr;

private:
    QCheckBox* m_onlyActivatedCheck = nullptr;
    QLayout* m_extra = nullptr;
    QHBoxLayout* m_buttonRow = nullptr;
    bool m_filling = false;
};

/// @short The codes of the code-frequency table and the levels of
/// subcodes it reaches (0: the documents' overviews, no codes).
///
/// The depth never exceeds the shallowest leaf below a ticked code, or 1
/// while none is ticked; a depth of 0 leaves the codes aside.
class CodeSelectDlg : public CCodeSelectDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 219;
    enum : int { DepthEdit = 100, DepthSpin = 1139, DepthLabel = 1226 };

    explicit CodeSelectDlg(QWidget* parent = nullptr);

    int m_depth = 1;
    /// (document, group) pairs of the command's documents; sorted by group,
    /// then document, when the dialog opens.
    QList<QPair<qint32, qint32>> m_documents;

    QSpinBox* DepthBox() const { return m_depthEdit; }
    /// The depth kept within its limit; the spin's range follows.
    void ClampDepth();
    void accept() override;

protected:
    bool OnInitDialog() override;
    void OnTickChanged() override { ClampDepth(); }

private:
    void DepthChanged(int value);

    QSpinBox* m_depthEdit = nullptr;
};

/// @short The codes exported to the report tool.
class ReportCodeSelectDlg : public CCodeSelectDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3152;
    explicit ReportCodeSelectDlg(QWidget* parent = nullptr);
};
