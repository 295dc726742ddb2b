#pragma once

#include "retrieval/typologyrows.h"
#include "ui/dlgbase.h"

#include <QList>

class QCheckBox;
class QListWidget;
class QPushButton;

/// @short A list of named rows with tick boxes: the caller fills the rows,
/// runs the dialog and, after OK, reads which rows were ticked.
///
/// Three callers: the typology table (help, its stored option, typology),
/// the condition dialog's choice of variables (help, option, no typology)
/// and the object list's columns (none of them). Marked rows stand for a
/// whole variable, are drawn dark red and are what button 5 ticks. Cancel
/// leaves the rows as the caller set them.
class CTypologyTableDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 0;

    CTypologyTableDlg(QWidget* parent, bool help, bool extraOption, bool typology);

    /// The rows, filled before the dialog runs; their ticks are written
    /// back on OK.
    QList<typology::TickRow> m_rows;
    /// The extra option: with typology "also the ...", else one row per
    /// value. Read after OK (0 when its box was hidden).
    bool m_extraOption = false;
    /// Shows button 5, which ticks the marked rows.
    bool m_showMarkedButton = false;

    QListWidget* List() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void accept() override;

private:
    void SetAllTicks(bool ticked);
    void TickMarked();

    bool m_help;
    bool m_typology;
    QListWidget* m_list = nullptr;
    QCheckBox* m_option = nullptr;
    QPushButton* m_markedButton = nullptr;
    QPushButton* m_helpButton = nullptr;
    QPushButton* m_ok = nullptr;
};
