#pragma once

#include "foundation/messageservice.h"

#include <QPointer>
#include <QWidget>

/// Text ids of the message box's buttons.
namespace MessageBoxText {
constexpr int Ok = 102370;
constexpr int Cancel = 102371;
constexpr int Yes = 190805;
constexpr int No = 190806;
}  // namespace MessageBoxText

/// @short The program's message box and file prompts: the message service
/// the application installs.
///
/// Boxes carry the program's title and button texts of the current
/// language; they are modal over the owner (the main window once it
/// exists). File prompts are the toolkit's file dialogs.
class CMessageBoxService : public IMessageService {
public:
    /// `owner` may be null and may be set later; not owned.
    explicit CMessageBoxService(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }

    MessageAnswer Ask(const QString& text, MessageButtons buttons, MessageKind kind,
                      MessageAnswer defaultAnswer) override;
    QStringList PromptFiles(const FilePrompt& prompt) override;
    /// Runs CQuestionDlg over the owner.
    MessageAnswer AskQuestion(const QuestionPrompt& prompt) override;
    /// Runs CConfirmDlg at the prompt's point.
    MessageAnswer Confirm(const ConfirmPrompt& prompt) override;

private:
    QPointer<QWidget> m_owner;
};
