#pragma once

#include "foundation/colorhelpers.h"
#include "ui/dlgbase.h"

#include <QList>

#include <functional>

class CColourCheckList;

/// Text ids of the colour picker in the language table.
namespace ColourPickerText {
constexpr int Caption = 1159;
constexpr int OtherColour = 102316;
constexpr int ColoursInUse = 102317;
constexpr int Green = 102331;
constexpr int Blue = 102332;
constexpr int Red = 102333;
constexpr int Violet = 102334;
constexpr int Olive = 102335;
}  // namespace ColourPickerText

/// @short The small list from which the user picks a colour: "other
/// colour" first, a heading, then the colours the caller offers (the
/// colours in use), the five standard colours by name.
///
/// The caller fills m_colors and m_color, runs the dialog and reads
/// m_color back after OK. A click on an offered colour picks it; the first
/// row opens the full colour dialog, whose cancel leaves the picker open.
class ColorPicDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3150;
    static constexpr int kListId = 1032;
    static constexpr int kFirstColourRow = 2;

    /// Asks for any colour, starting from the current one; false when the
    /// user cancelled. The default opens the platform's colour dialog.
    using OtherColourDialog = std::function<bool(QWidget* parent, COLORREF& colour)>;

    explicit ColorPicDlg(QWidget* parent = nullptr);

    /// The colours offered, in their order (filled before the dialog runs).
    QList<COLORREF> m_colors;
    /// The current colour; after OK the colour picked.
    COLORREF m_color = 0x008000;

    void SetOtherColourDialog(OtherColourDialog dialog) { m_otherColour = std::move(dialog); }
    CColourCheckList* List() const { return m_list; }
    /// The row shown ticked: the last offered colour equal to the current one.
    int MarkedRow() const { return m_marked; }
    /// The name of one of the five standard colours; empty for others.
    static QString StandardColourName(COLORREF colour);

protected:
    bool OnInitDialog() override;

private:
    void RowClicked(int row);
    COLORREF RowColour(int row) const;

    CColourCheckList* m_list = nullptr;
    QList<COLORREF> m_rows;   // the colour of each row, the two white rows first
    int m_marked = -1;
    OtherColourDialog m_otherColour;
};
