#include "ui/messagebox.h"

#include "foundation/ids.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "ui/confirmdlg.h"
#include "ui/questiondlg.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QString BoxTitle()
{
    return g_program.AppTitle.isEmpty() ? LoadString(FoundationText::ProgramTitle) : g_program.AppTitle;
}

// The button's text of the current language; the toolkit's own text while
// no language table is open (a start-up that failed to open it).
void AddButton(QMessageBox& box, QMessageBox::StandardButton button, int textId, bool isDefault)
{
    box.addButton(button);
    const QString text = LoadString(textId);
    if (!text.isEmpty())
        box.button(button)->setText(text);
    if (isDefault)
        box.setDefaultButton(button);
}

QMessageBox::Icon IconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Question: return QMessageBox::Question;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageAnswer CMessageBoxService::Ask(const QString& text, MessageButtons buttons, MessageKind kind,
                                      MessageAnswer defaultAnswer)
{
    QMessageBox box(IconOf(kind), BoxTitle(), text, QMessageBox::NoButton, m_owner);
    const auto add = [&](MessageAnswer answer, QMessageBox::StandardButton button, int textId) {
        AddButton(box, button, textId, answer == defaultAnswer);
    };
    switch (buttons) {
    case MessageButtons::Ok:
        add(MessageAnswer::Ok, QMessageBox::Ok, MessageBoxText::Ok);
        break;
    case MessageButtons::OkCancel:
        add(MessageAnswer::Ok, QMessageBox::Ok, MessageBoxText::Ok);
        add(MessageAnswer::Cancel, QMessageBox::Cancel, MessageBoxText::Cancel);
        break;
    case MessageButtons::YesNo:
        add(MessageAnswer::Yes, QMessageBox::Yes, MessageBoxText::Yes);
        add(MessageAnswer::No, QMessageBox::No, MessageBoxText::No);
        break;
    case MessageButtons::YesNoCancel:
        add(MessageAnswer::Yes, QMessageBox::Yes, MessageBoxText::Yes);
        add(MessageAnswer::No, QMessageBox::No, MessageBoxText::No);
        add(MessageAnswer::Cancel, QMessageBox::Cancel, MessageBoxText::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return MessageAnswer::Ok;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default:
        // Closed by Escape or the window's button: the safe answer.
        return buttons == MessageButtons::YesNo ? MessageAnswer::No
               : buttons == MessageButtons::Ok  ? MessageAnswer::Ok
                                                : MessageAnswer::Cancel;
    }
}

QStringList CMessageBoxService::PromptFiles(const FilePrompt& prompt)
{
    QFileDialog dialog(m_owner, prompt.title, prompt.path, prompt.filter);
    switch (prompt.kind) {
    case FilePromptKind::OpenFile:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FilePromptKind::OpenFiles:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case FilePromptKind::SaveFile:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    case FilePromptKind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (!prompt.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(prompt.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

MessageAnswer CMessageBoxService::AskQuestion(const QuestionPrompt& prompt)
{
    CQuestionDlg dialog(prompt, m_owner);
    return CQuestionDlg::AnswerOf(dialog.exec());
}

MessageAnswer CMessageBoxService::Confirm(const ConfirmPrompt& prompt)
{
    CConfirmDlg dialog(prompt, m_owner);
    return dialog.exec() == CConfirmDlg::kOkId ? MessageAnswer::Ok : MessageAnswer::Cancel;
}
