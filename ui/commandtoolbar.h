#pragma once

#include <QToolBar>

/// @short A tool bar of command actions (each QAction carries its command
/// id in data()) that code shows, hides, checks and enables by command id.
///
/// Buttons start `Indent()` pixels further right; the button of the pinned
/// command (the bar's close command, id 8) stands at the right end. Actions
/// carry their id when they are added.
/// Operations on a command the bar does not hold do nothing.
class CommandToolBar : public QToolBar {
    Q_OBJECT
public:
    static constexpr int kPinnedCommand = 8;

    explicit CommandToolBar(const QString& title, QWidget* parent = nullptr);

    int Indent() const { return m_indent; }
    void SetIndent(int pixels);
    /// The action of a command; null when the bar has none.
    QAction* CommandAction(int id) const;
    void RemoveCommand(int id);
    void ShowCommand(int id, bool show);
    void CheckCommand(int id, bool check);
    void EnableCommand(int id, bool enable);

protected:
    void actionEvent(QActionEvent* event) override;

private:
    int m_indent = 7;
    QWidget* m_indentBlank = nullptr;
    QAction* m_indentAction = nullptr;
    QAction* m_spacer = nullptr;
    bool m_placing = false;
};
