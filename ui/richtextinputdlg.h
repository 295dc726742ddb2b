#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

/// @short Asks for a short text of at most 127 characters; the text comes
/// back trimmed at both ends after OK.
///
/// A plain QDialog built in code until the shared dialog base takes over
/// placement and caption translation.
class CRichTextInputDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 127;

    explicit CRichTextInputDlg(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const { return m_text; }
    QLineEdit* Edit() const { return m_edit; }

    /// Gives the field the focus.
    void showEvent(QShowEvent* event) override;
    void accept() override;

protected:
    QLineEdit* m_edit = nullptr;
    QPushButton* m_help = nullptr;
    QString m_text;
};

/// @short The same with a window title of the caller's and a help button.
class CRichTextInputDlg2 : public CRichTextInputDlg {
    Q_OBJECT
public:
    explicit CRichTextInputDlg2(QWidget* parent = nullptr);

    /// Replaces the window title when not empty.
    void SetTitle(const QString& title);

private:
    void showHelp();
};
