#pragma once

#include "browser/textcoderwindow.h"
#include "foundation/colorhelpers.h"
#include "ui/dlgbase.h"

#include <QList>
#include <QPointer>
#include <QStringList>

class CColourTickList;
class CObjComboBox;
class QCheckBox;
class QPushButton;

/// @short The display options of the browser's coding stripes: a popup at
/// a screen point with the five flags, the coder and the coding colours.
///
/// The caller fills the members, then shows it (modeless; it deletes
/// itself when it closes). A click outside the popup closes it like
/// Cancel: nothing changes. OK emits codingColourFilterChanged with the
/// ticked colours in list order, then sets the browser's options and
/// filter (TextCoderWindow::ApplyDisplayOptions) and closes.
class DisplayOptionsDlg221 : public CPlainDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 221;
    static constexpr int kTitlesId = 1085;
    static constexpr int kAuthorsId = 1086;
    static constexpr int kActivatedOnlyId = 1087;
    static constexpr int kOneCoderId = 1088;
    static constexpr int kColourAllId = 1089;
    static constexpr int kCoderComboId = 100;
    static constexpr int kListId = 1032;
    static constexpr int kTickAllId = 3;
    static constexpr int kUntickAllId = 4;
    static constexpr int kHelpId = 9;
    static constexpr int kHelpTopic = 1010;
    /// Pixels kept between the popup and the edges of the work area.
    static constexpr int kAreaMargin = 5;

    explicit DisplayOptionsDlg221(TextCoderWindow* browser, QWidget* parent = nullptr);

    /// The top left that keeps a popup of `size` at the point inside the
    /// area with 5 pixels to spare (a point left of the area gives 5).
    static QPoint PlaceInside(QPoint point, QSize size, const QRect& area);

    QPoint m_point;                  ///< the requested top left, global
    TextCoderWindow::DisplayOptions m_options;  ///< filled from the browser at construction
    QStringList m_coders;            ///< the coder combo's names
    QList<COLORREF> m_colors;        ///< the colour rows
    QList<COLORREF> m_filter;        ///< in: ticked colours; after OK: the ticked rows' colours

    CColourTickList* List() const { return m_list; }
    CObjComboBox* CoderCombo() const { return m_coder; }
    QCheckBox* Flag(int id) const;
    bool IsTicked(int row) const;

    void accept() override;

signals:
    /// OK: the coding-colour filter the user ticked, before the browser
    /// takes it.
    void codingColourFilterChanged(const QList<COLORREF>& filter);

protected:
    bool OnInitDialog() override;
    void showEvent(QShowEvent* event) override;

private:
    /// Moves the popup to m_point, kept inside the work area of its screen.
    void PlaceOnScreen();

    QPointer<TextCoderWindow> m_browser;
    QCheckBox* m_flags[5] = {};
    CObjComboBox* m_coder = nullptr;
    CColourTickList* m_list = nullptr;
};
