#include "ui/questiondlg.h"

#include "foundation/stringstore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpTipText = 102059;
}  // namespace

CQuestionDlg::CQuestionDlg(const QuestionPrompt& prompt, QWidget* parent)
    : CResizableDlgBase(prompt.secondButton.isEmpty() ? kTwoButtonTemplateId : kThreeButtonTemplateId, parent)
{
    setWindowTitle(prompt.caption);
    m_message = new QLabel(prompt.message, this);
    SetControlId(m_message, kMessageId);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const auto add = [&](int id, const QString& text) {
        auto* button = new QPushButton(text, this);
        SetControlId(button, id);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
        buttons->addWidget(button);
        return button;
    };
    QPushButton* first = nullptr;
    if (prompt.firstButton == QLatin1String(kQuestionHelpButton)) {
        first = add(kFirstButtonId, LoadString(kHelpTipText));
        first->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
        first->setToolTip(LoadString(kHelpTipText));
    } else {
        first = add(kFirstButtonId, prompt.firstButton);
    }
    if (!prompt.secondButton.isEmpty())
        add(kSecondButtonId, prompt.secondButton);
    QPushButton* third = add(kThirdButtonId, prompt.thirdButton);
    third->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(m_message, 1);
    layout->addLayout(buttons);
    setMinimumWidth(320);
}

MessageAnswer CQuestionDlg::AnswerOf(int buttonId)
{
    switch (buttonId) {
    case kFirstButtonId: return MessageAnswer::Yes;
    case kSecondButtonId: return MessageAnswer::No;
    default: return MessageAnswer::Cancel;
    }
}

QPushButton* CQuestionDlg::Button(int buttonId) const
{
    return qobject_cast<QPushButton*>(FindControl(this, buttonId));
}

void CQuestionDlg::reject()
{
    // Escape and the window's close button answer as the third button.
    done(kThirdButtonId);
}
