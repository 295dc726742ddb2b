#pragma once

// The bases every dialog of the program stands on: placement kept in the
// profile, every "@STR<id>|fallback" text translated when the dialog is
// first shown, popup menus translated each time they open.

#include <QDialog>
#include <QString>
#include <QStyle>

class QMenu;
class QPushButton;

/// Controls with ids from 1 up to this one (exclusive) have their "@STR"
/// texts translated; higher ids keep their text as built.
constexpr int kFirstUntranslatedControlId = 40000;

/// Gives a control the id by which a dialog base finds it.
void SetControlId(QWidget* control, int id);
/// The control's id; 0 when it has none.
int ControlId(const QWidget* control);
/// The first descendant of `parent` with the id; null when none.
QWidget* FindControl(const QWidget* parent, int id);
/// A small button of a dialog with the style's standard picture, the tip
/// of the text id, and no part in the default button.
QPushButton* MakeIconButton(QWidget* parent, int id, QStyle::StandardPixmap icon, int tipTextId);

/// The text a control shows as its caption (button and label text, group
/// title, line-edit text); empty for other controls.
QString ControlText(const QWidget* control);
void SetControlText(QWidget* control, const QString& text);

/// The key "@STR<id>|" of a text id, which the dialog bases translate when
/// the dialog first shows.
QString TextKey(int textId);
/// The key "@STR<id>|fallback": the fallback shows where the table has no
/// text for the id.
QString TextKey(int textId, const char* fallback);
/// Translates a "@STR<id>|fallback" key through the language table. True
/// when the text was a key the table replaced; an id without text in the
/// table gives the fallback after "|" rather than an empty caption.
bool TranslateKey(QString& text);

/// Translates every item of the menu whose text is a key, and the sub-menu
/// of each translated item. Items with plain text are left alone, their
/// sub-menus too.
void TranslateMenu(QMenu* menu);

/// @short The resizable dialog base: minimum size 100 × 50, placement kept
/// under "WindowPos" of its profile section, texts translated once before
/// the first showing.
///
/// A derived dialog builds its controls in its constructor, gives each the
/// id of its template (SetControlId) and its key text, and sets m_strTitle
/// and m_strSection there. OnInitDialog runs once, just before the dialog
/// first becomes visible (show() or exec()); derived dialogs call the base
/// first. The placement is saved whenever the dialog closes.
class CResizableDlgBase : public QDialog {
    Q_OBJECT
public:
    explicit CResizableDlgBase(int templateId, QWidget* parent = nullptr);
    ~CResizableDlgBase() override;

    int TemplateId() const { return m_templateId; }
    /// Translates the menu on every showing (for popup menus of the dialog).
    void AddTranslatedMenu(QMenu* menu);

    void setVisible(bool visible) override;
    void done(int result) override;

    /// Title that replaces the built one; empty keeps it (translated).
    QString m_strTitle;
    /// Profile section of the placement; empty keeps none.
    QString m_strSection;

protected:
    virtual bool OnInitDialog();
    /// Restores the placement saved under m_strSection; false when none was
    /// usable (missing, damaged, or off every screen).
    bool RestorePlacement();
    void SavePlacement() const;

private:
    void TranslateTexts();

    int m_templateId;
    bool m_initialised = false;
};

/// @short The dialog base without the skinned frame: a one-pixel border in
/// the scheme colour is painted around the dialog.
class CPlainDlgBase : public CResizableDlgBase {
    Q_OBJECT
public:
    explicit CPlainDlgBase(int templateId, QWidget* parent = nullptr);

    bool m_bDrawBorder = true;

protected:
    void paintEvent(QPaintEvent* event) override;
};
