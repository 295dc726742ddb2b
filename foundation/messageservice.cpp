#include "foundation/messageservice.h"

namespace {
IMessageService* g_messageService = nullptr;
}

IMessageService* SetMessageService(IMessageService* service)
{
    IMessageService* previous = g_messageService;
    g_messageService = service;
    return previous;
}

IMessageService* GetMessageService()
{
    return g_messageService;
}

MessageAnswer AskUser(const QString& text, MessageButtons buttons, MessageKind kind,
                      MessageAnswer defaultAnswer)
{
    if (!g_messageService)
        return defaultAnswer;
    return g_messageService->Ask(text, buttons, kind, defaultAnswer);
}

bool AskYesNo(const QString& text, bool defaultYes)
{
    const MessageAnswer answer = AskUser(text, MessageButtons::YesNo, MessageKind::Question,
                                         defaultYes ? MessageAnswer::Yes : MessageAnswer::No);
    return answer == MessageAnswer::Yes;
}

void ShowMessage(const QString& text, MessageKind kind)
{
    AskUser(text, MessageButtons::Ok, kind, MessageAnswer::Ok);
}

QStringList PromptForFiles(const FilePrompt& prompt)
{
    if (!g_messageService)
        return {};
    return g_messageService->PromptFiles(prompt);
}

MessageAnswer AskQuestion(const QuestionPrompt& prompt)
{
    if (!g_messageService)
        return MessageAnswer::Cancel;
    return g_messageService->AskQuestion(prompt);
}

bool AskConfirm(const ConfirmPrompt& prompt)
{
    return g_messageService && g_messageService->Confirm(prompt) == MessageAnswer::Ok;
}
