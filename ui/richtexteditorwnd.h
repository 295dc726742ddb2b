#pragma once

#include "platform/rtf/richeditctrlex.h"

#include <QByteArray>
#include <QColor>
#include <QToolBar>
#include <QWidget>

class CRichEditWnd;
class QLineEdit;
class QMenu;
class QSpinBox;
class QToolButton;

/// Command ids of the rich-text editor window.
enum EditorCommand : int {
    kEditorFontSize = 30200,
    kEditorFontFace = 30201,
    kEditorBold = 30202,
    kEditorItalic = 30203,
    kEditorUnderline = 30204,
    kEditorColour = 30205,
    kEditorTimeStamp = 30009,
    kEditorAlignLeft = 30206,
    kEditorAlignCenter = 30207,
    kEditorAlignRight = 30208,
    kEditorBullets = 30209,
    kEditorNumbering = 30210,
    kEditorIndentLess = 30211,
    kEditorIndentMore = 30212,
    kEditorLineSpacing = 30213,
    kEditorCut = 30214,
    kEditorCopy = 30215,
    kEditorPaste = 30216,
    kEditorUndo = 30217,
    kEditorRefresh = 1024,
    kEditorSpacing10 = 33541,
    kEditorSpacing15 = 33542,
    kEditorSpacing20 = 33543,
    kEditorSpacing25 = 33544,
    kEditorSpacing30 = 33545,
};

/// @short The formatting tool bar: font size and face fields, a colour
/// button and one button per command. Every action carries its command id.
class EditorToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit EditorToolBar(QWidget* parent = nullptr);

    /// The action of a command; null when the bar has none.
    QAction* Action(int command) const;
    QSpinBox* SizeField() const { return m_size; }
    QLineEdit* FaceField() const { return m_face; }
    QToolButton* ColourButton() const { return m_colourButton; }
    QMenu* SpacingMenu() const { return m_spacingMenu; }
    const QColor& CurrentColour() const { return m_colour; }
    void SetCurrentColour(const QColor& colour);

signals:
    void Command(int id);

private:
    QAction* AddCommand(int id);

    QSpinBox* m_size = nullptr;
    QLineEdit* m_face = nullptr;
    QToolButton* m_colourButton = nullptr;
    QMenu* m_spacingMenu = nullptr;
    QColor m_colour = Qt::black;
};

/// @short A rich text with its formatting tool bar, as notices show it.
///
/// Set up read-only: the text can be selected, copied and scrolled and its
/// colour changed through the colour button; every other editing and
/// formatting command is shown disabled. The handlers still act when a
/// command reaches the window through OnCommand.
class RichTextEditorWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kEditorId = 2004;
    static constexpr int kToolBarHeight = 27;

    explicit RichTextEditorWnd(QWidget* parent = nullptr);

    CRichEditWnd* Editor() const { return m_editor; }
    EditorToolBar* ToolBar() const { return m_toolBar; }

    /// The whole text as RTF with its objects; empty for an empty text.
    void GetRtf(QByteArray& rtf) const;
    /// The character format of the selection.
    bool GetSelectionCharFormat(RichEditCharFormat& format) const;

    void OnCommand(int id);
    /// The colour picker's choice: the button shows it, the selection takes it.
    void OnColourChanged(const QColor& colour);
    /// Enables, disables and checks the tool bar as the selection allows.
    void UpdateCommandStates();
    /// Makes the text writable with every command of the bar enabled, or
    /// read-only again.
    void SetEditable(bool editable);
    bool IsEditable() const { return m_editable; }

signals:
    /// The text changed.
    void TextChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ToggleEffect(quint32 effect);
    void SetAlignment(Qt::Alignment alignment);
    void ToggleList(int style);
    void ChangeIndent(int twips);
    void SetLineSpacing(int percent);
    int LineSpacingPercent() const;
    void InsertTimeStamp();

    EditorToolBar* m_toolBar = nullptr;
    CRichEditWnd* m_editor = nullptr;
    bool m_editable = false;
};
