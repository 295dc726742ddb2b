#pragma once

#include "foundation/colorhelpers.h"
#include "ui/dlgbase.h"

#include <QList>

class CColourTickList;
class QPushButton;

/// @short The colour filter of codes or documents: the colours in use, each
/// a row painted in its colour (the five standard colours named), ticked
/// when the filter holds it.
///
/// The caller fills the colours and the filter and runs the dialog; after OK
/// the filter holds the ticked colours in list order (nothing ticked: an
/// empty filter). The dialog changes nothing else.
class ColorFilterDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3122;
    static constexpr int kListId = 1032;
    static constexpr int kTickAllId = 3;
    static constexpr int kUntickAllId = 4;
    static constexpr int kHelpId = 9;
    /// The help topics of the codes' and the documents' filter.
    static constexpr int kCodesHelpTopic = 1025;
    static constexpr int kDocumentsHelpTopic = 1026;

    explicit ColorFilterDlg(QWidget* parent = nullptr);

    QList<COLORREF> m_colors;   ///< the rows, in their order
    QList<COLORREF> m_filter;   ///< in: the ticked colours; after OK: the ticked rows' colours
    int m_helpTopic = 0;        ///< 0: no help

    CColourTickList* List() const { return m_list; }
    QPushButton* TickAllButton() const { return m_tickAll; }
    QPushButton* UntickAllButton() const { return m_untickAll; }
    bool IsTicked(int row) const;

    void accept() override;

protected:
    bool OnInitDialog() override;

private:
    CColourTickList* m_list = nullptr;
    QPushButton* m_tickAll = nullptr;
    QPushButton* m_untickAll = nullptr;
    QPushButton* m_help = nullptr;
};
