#pragma once

#include <QString>
#include <QStringList>

/// The icon a message carries.
enum class MessageKind { Information, Question, Warning, Error };

/// The buttons a message offers.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

/// The button the user chose.
enum class MessageAnswer { Ok, Cancel, Yes, No };

/// What a file prompt asks for.
enum class FilePromptKind { OpenFile, OpenFiles, SaveFile, Folder };

/// @short One file prompt: kind, title, filter ("Label (*.a *.b);;..."),
/// the proposed path and the suffix added to a saved name without one.
struct FilePrompt {
    FilePromptKind kind = FilePromptKind::OpenFile;
    QString title;
    QString filter;
    QString path;
    QString defaultSuffix;
};

/// @short Every question and message to the user.
///
/// Code below the shell never opens a window itself: it calls AskUser,
/// AskYesNo or ShowMessage, and the shell installs the service that shows a
/// message box. Tests install a service that answers from a script. Used on
/// the UI thread only.
class IMessageService {
public:
    virtual ~IMessageService() = default;
    /// Shows the text and returns the chosen button. `defaultAnswer` is the
    /// button that has the focus (one of `buttons`).
    virtual MessageAnswer Ask(const QString& text, MessageButtons buttons, MessageKind kind,
                              MessageAnswer defaultAnswer) = 0;
    /// Asks for files or a folder; the chosen paths, empty when cancelled.
    /// A service that shows no file dialogs cancels.
    virtual QStringList PromptFiles(const FilePrompt& /*prompt*/) { return {}; }
};

/// Installs the service (not owned; nullptr removes it) and returns the one
/// installed before.
IMessageService* SetMessageService(IMessageService* service);
IMessageService* GetMessageService();

/// Asks through the installed service. Without one nobody can answer, so the
/// result is `defaultAnswer`: callers make the default the safe choice.
MessageAnswer AskUser(const QString& text, MessageButtons buttons, MessageKind kind,
                      MessageAnswer defaultAnswer);

/// A Yes/No question with the question icon; true for Yes. Without a
/// service the answer is `defaultYes`.
bool AskYesNo(const QString& text, bool defaultYes = false);

/// A message with an OK button only.
void ShowMessage(const QString& text, MessageKind kind = MessageKind::Information);

/// Asks for files or a folder through the installed service; without one
/// the prompt counts as cancelled (an empty list).
QStringList PromptForFiles(const FilePrompt& prompt);
