#pragma once

#include "foundation/messageservice.h"
#include "ui/dlgbase.h"

class QLabel;
class QPushButton;

/// @short A question with up to three buttons of the caller's texts, centred
/// on its parent.
///
/// exec() returns the id of the button pressed: kFirstButtonId,
/// kSecondButtonId or kThirdButtonId (also for Escape and the window's close
/// button). An empty second text gives the two-button layout (template
/// kTwoButtonTemplateId). A first text of kQuestionHelpButton shows the help
/// picture with the help tip instead; the caller opens its help topic when
/// that button answers. Code below the shell asks through AskQuestion
/// (foundation/messageservice.h), which the shell's message service answers
/// with this dialog.
class CQuestionDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kThreeButtonTemplateId = 3144;
    static constexpr int kTwoButtonTemplateId = 3145;
    static constexpr int kFirstButtonId = 6;
    static constexpr int kSecondButtonId = 7;
    static constexpr int kThirdButtonId = 2;
    static constexpr int kMessageId = 1233;

    explicit CQuestionDlg(const QuestionPrompt& prompt, QWidget* parent = nullptr);

    /// The message service's answer for a button id: Yes, No or Cancel.
    static MessageAnswer AnswerOf(int buttonId);

    QPushButton* Button(int buttonId) const;
    QLabel* MessageLabel() const { return m_message; }

    void reject() override;

private:
    QLabel* m_message = nullptr;
};
