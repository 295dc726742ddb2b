#pragma once

#include "ui/dlgbase.h"

#include <QList>
#include <QString>

class QCheckBox;
class QListWidget;

/// One code of a code selection list.
struct CodeSelItem {
    qint32 codeId = 0;
    qint32 parentId = 0;   ///< 0 at the top level
    bool checked = false;
    qint32 level = 1;      ///< depth of the shallowest leaf below, the code counting as 1
    QString name;          ///< at most 1024 characters
};

/// @short Picks the codes for the report: a check-box list of the caller's
/// codes, check-all and uncheck-all buttons, and whether only the
/// activated documents go into the report.
class ReportCodeSelectDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3152;
    static constexpr int kMaxNameLength = 1024;

    enum Control : int {
        CheckAll = 3,
        UncheckAll = 4,
        CodeList = 1086,
        OnlyActivated = 1087,
        ListLabel = 1225,
    };

    explicit ReportCodeSelectDlg(QWidget* parent = nullptr);

    QList<CodeSelItem> m_items;       ///< in: the codes; out after OK: their ticks
    bool m_allowOnlyActivated = false; ///< the project has activated documents
    bool m_onlyActivated = false;

    void accept() override;

protected:
    bool OnInitDialog() override;

private:
    void TickAll(bool on);

    QListWidget* m_list = nullptr;
    QCheckBox* m_onlyActivatedCheck = nullptr;
};
