#pragma once

#include "ui/codesellist.h"
#include "ui/dlgbase.h"

#include <QSpinBox>

class CCodeSelList;
class QCheckBox;

/// @short A whole-number box whose arrows stop at 0 and 10000 while a
/// typed number may lie outside.
class CNearDistanceSpin : public QSpinBox {
    Q_OBJECT
public:
    static constexpr int kArrowMinimum = 0;
    static constexpr int kArrowMaximum = 10000;
    explicit CNearDistanceSpin(QWidget* parent = nullptr);
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
};

/// @short The code relations' near distance.
class CCOBrowserOptionsDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3120;
    static constexpr int kEditId = 1111;

    explicit CCOBrowserOptionsDlg(QWidget* parent = nullptr);

    qint32 m_nearDistance = 0;
    CNearDistanceSpin* Edit() const { return m_edit; }

protected:
    bool OnInitDialog() override;
    void accept() override;

private:
    CNearDistanceSpin* m_edit = nullptr;
};

/// @short Which codes take part in the code relations: a tick list of the
/// caller's items; on OK the ticks go back into them.
class CCOBrowserDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3126;
    static constexpr int kListId = 1032;
    static constexpr int kAllId = 3;
    static constexpr int kNoneId = 4;
    static constexpr int kHelpId = 9;
    static constexpr int kHelpTopic = 1035;

    explicit CCOBrowserDlg(QWidget* parent = nullptr);

    /// Filled before the dialog runs; sorted by order and id when it opens.
    CodeCheckItemArray m_items;
    CCodeSelList* List() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void accept() override;

private:
    CCodeSelList* m_list = nullptr;
};

/// @short The options asked before a sequence view opens: only activated
/// codes (offered only when codes are activated) and the second option.
class CSeqBrowserOptDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 251;
    static constexpr int kOption1Id = 1086;
    static constexpr int kOption2Id = 1087;
    static constexpr int kHelpId = 9;
    static constexpr int kHelpTopic = 1039;

    explicit CSeqBrowserOptDlg(QWidget* parent = nullptr);

    bool m_codesActivated = false;   ///< in: at least one code is activated
    bool m_option1 = false;
    bool m_option2 = false;
    QCheckBox* Option1() const { return m_option1Box; }
    QCheckBox* Option2() const { return m_option2Box; }

protected:
    bool OnInitDialog() override;
    void accept() override;

private:
    QCheckBox* m_option1Box = nullptr;
    QCheckBox* m_option2Box = nullptr;
};
