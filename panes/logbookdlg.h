#pragma once

// The project logbook: one rich text kept in the project, edited in a
// window of its own, printed and saved as RTF.

#include "platform/rtf/richeditctrlex.h"
#include "ui/dlgbase.h"

#include <QByteArray>

#include <functional>

class QToolBar;
class RichTextEditorWnd;

/// @short The logbook window.
///
/// The opener puts the stored bytes into Log() before the window shows;
/// closing a changed logbook hands its RTF to `storer` (the frame writes it
/// into the project). Links in the text open only through `linkOpener`.
class CLogbookDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 249;
    static constexpr int kEditorId = 2004;
    static constexpr int kTitleTextId = 554;
    static constexpr int kHelpTopic = 1055;

    explicit CLogbookDlg(QWidget* parent = nullptr);

    /// The bytes to show (filled before showing), after StoreLog the text.
    QByteArray& Log() { return m_log; }
    bool IsModified() const { return m_modified; }
    RichTextEditorWnd* Editor() const { return m_editor; }
    QToolBar* CommandBar() const { return m_bar; }

    std::function<bool(const QByteArray& rtf)> storer;
    std::function<bool(const QString& target)> linkOpener;
    std::function<QString(const QString& proposed)> savePrompt;

    /// The editor's RTF into Log() and on to the storer; false when the
    /// storer refused or there is none.
    bool StoreLog();
    void OnCommand(int id);

    /// "TextFormat" as stored: face, height, bold, italic and underline
    /// bits, red, green, blue. Anything that does not read gives the default.
    static RichEditCharFormat ParseTextFormat(const QString& text);
    static QString FormatTextFormat(const RichEditCharFormat& format);
    static QString DefaultTextFormat();
    /// The text of stored bytes: RTF, or the UTF-16 text an older project
    /// kept, as RTF to stream in.
    static QByteArray LogAsRtf(const QByteArray& stored);

protected:
    bool OnInitDialog() override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SaveRtf();
    void Print();
    void Layout();

    QByteArray m_log;
    QToolBar* m_bar = nullptr;
    RichTextEditorWnd* m_editor = nullptr;
    RichEditCharFormat m_textFormat;
    bool m_modified = false;
};
