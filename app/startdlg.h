#pragma once

#include "ui/dlgbase.h"

#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;

/// @short The dialog at start-up without a project: who works, and whether
/// to make a new project or open one (a recent one, or through the file
/// prompt).
///
/// The caller fills the inputs, runs exec() and, after OK, reads the
/// outputs. Cancel leaves no output valid.
class CStartDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    enum : int {
        kTemplateId = 212,
        kUserId = 100,
        kRemoveUserId = 558,
        kNewProjectId = 1103,
        kOpenProjectId = 1104,
        kProjectListId = 1105,
        kHeaderGroupId = 1225,
        kChoiceGroupId = 1226,
        kPictureId = 123,
        kOkId = 1,
    };
    /// Values of m_nChoice.
    enum Choice : int { NewProject = 0, OpenProject = 1 };

    explicit CStartDlg(QWidget* parent = nullptr);

    // Inputs, and outputs after OK.
    QString m_strUserName;
    QStringList m_users;            ///< the known users; rebuilt from the list on OK
    QStringList m_recentProjects;   ///< input only
    int m_nChoice = OpenProject;
    /// The recent project chosen; empty when the first entry (another
    /// project) was chosen.
    QString m_strProjectPath;

protected:
    bool OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    void RemoveUser();
    void ChooseNew();
    void ChooseOpen();
    void Finish(bool rebuildUsers);

    QGroupBox* m_header;
    QGroupBox* m_choices;
    QComboBox* m_user;
    QToolButton* m_removeUser;
    QRadioButton* m_new;
    QRadioButton* m_open;
    QLabel* m_picture;
    QListWidget* m_projects;
    QPushButton* m_ok;
};
