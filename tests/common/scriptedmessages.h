#pragma once

// A message service for tests: it answers questions from a script and
// records every text it was shown.

#include "foundation/messageservice.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace testutil {

/// Installs itself for its lifetime and restores the previous service after.
/// A question asked with no answer left fails the test and gets the default.
class ScriptedMessages : public IMessageService {
public:
    explicit ScriptedMessages(QList<MessageAnswer> answers = {})
        : m_answers(std::move(answers)), m_previous(SetMessageService(this)) {}
    ~ScriptedMessages() override { SetMessageService(m_previous); }
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    MessageAnswer Ask(const QString& text, MessageButtons buttons, MessageKind,
                      MessageAnswer defaultAnswer) override
    {
        if (buttons == MessageButtons::Ok) {
            texts.append(text);
            return MessageAnswer::Ok;
        }
        return Next(text, defaultAnswer);
    }

    /// Answers file prompts from `files` in order (one list per prompt);
    /// a prompt with no answer left counts as cancelled.
    QStringList PromptFiles(const FilePrompt& prompt) override
    {
        prompts.append(prompt);
        return files.isEmpty() ? QStringList() : files.takeFirst();
    }

    /// Questions with their own buttons take the next scripted answer (Yes,
    /// No or Cancel); the message joins texts, the prompt questions.
    MessageAnswer AskQuestion(const QuestionPrompt& prompt) override
    {
        questions.append(prompt);
        return Next(prompt.message, MessageAnswer::Cancel);
    }

    /// Confirmations take the next scripted answer (Ok or Cancel).
    MessageAnswer Confirm(const ConfirmPrompt& prompt) override
    {
        confirmations.append(prompt);
        return Next(prompt.message, MessageAnswer::Cancel);
    }

    /// Queues further answers after those given at construction.
    void AddAnswers(const QList<MessageAnswer>& answers) { m_answers.append(answers); }

    /// Every text shown, questions and plain messages, in order.
    QStringList texts;
    /// The answers of the file prompts still to come, and the prompts asked.
    QList<QStringList> files;
    QList<FilePrompt> prompts;
    /// The questions and confirmations asked, in order.
    QList<QuestionPrompt> questions;
    QList<ConfirmPrompt> confirmations;

private:
    MessageAnswer Next(const QString& text, MessageAnswer defaultAnswer)
    {
        texts.append(text);
        if (m_answers.isEmpty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return defaultAnswer;
        }
        return m_answers.takeFirst();
    }

    QList<MessageAnswer> m_answers;
    IMessageService* m_previous;
};

}  // namespace testutil
