#pragma once

#include <QPoint>
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

/// The first button text of a question that shows the help button in its
/// place (the caller opens the help when that button answers).
inline constexpr char kQuestionHelpButton[] = "_HELP_";

/// @short A question with up to three buttons that carry the caller's texts.
///
/// The answer is the button pressed: Yes for the first, No for the second,
/// Cancel for the third (also when the question is closed without a
/// choice). An empty second text leaves that button out.
struct QuestionPrompt {
    QString caption;
    QString message;
    QString firstButton;   ///< kQuestionHelpButton: the help button
    QString secondButton;  ///< empty: two buttons only
    QString thirdButton;   ///< the button that cancels
};

/// @short A confirmation shown at a screen point: OK or Cancel.
///
/// The popup's top left lies at (point.x - 5, point.y); when it would pass
/// the bottom of the screen it goes above the point, `offset` pixels
/// higher. The answer is Ok or Cancel.
struct ConfirmPrompt {
    QPoint point;        ///< global coordinates
    int offset = 0;      ///< pixels between the point and a popup placed above it
    QString okText;
    QString cancelText;
    QString message;
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
    /// Shows the question and returns Yes, No or Cancel (see QuestionPrompt).
    /// A service that shows no such dialog answers Cancel.
    virtual MessageAnswer AskQuestion(const QuestionPrompt& /*prompt*/) { return MessageAnswer::Cancel; }
    /// Shows the confirmation and returns Ok or Cancel. A service that shows
    /// no such popup answers Cancel.
    virtual MessageAnswer Confirm(const ConfirmPrompt& /*prompt*/) { return MessageAnswer::Cancel; }
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

/// Asks the question through the installed service; Cancel without one.
MessageAnswer AskQuestion(const QuestionPrompt& prompt);

/// Asks for a confirmation at a point; true for OK. Without a service the
/// answer is Cancel (false).
bool AskConfirm(const ConfirmPrompt& prompt);
