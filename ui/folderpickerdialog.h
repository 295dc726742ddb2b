#pragma once

#include <QString>

class QWidget;

/// @short Asks for a folder, starting in a given one.
class FolderPickerDialog {
public:
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;
    static constexpr int kShortLength = 35;

    FolderPickerDialog(const QString& initialFolder, QWidget* parent);

    /// kOk with the chosen folder in GetPath, else kCancel (the path stays
    /// the initial folder).
    int DoModal();
    QString GetPath() const { return m_path; }

    /// The path as the picker's status line shows it: at most 35 characters,
    /// then "...".
    static QString ShortenText(const QString& path);

private:
    QString m_initial;
    QString m_path;
    QWidget* m_parent;
};
