#pragma once

#include "document/kordoc.h"
#include "ui/dlgbase.h"

#include <QList>
#include <QPixmap>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QRadioButton;
class RequestOwner;

/// @short The list of conditions on the variables of documents or codes.
///
/// Mode 0 activates the objects that meet the conditions (the caller runs
/// CKorDoc::ActivateByVariables on the rows after OK); modes 1 to 3 give
/// the conditions of the crosstab, the quote matrix and the typology table,
/// without links. The rows of each mode are kept in the profile (on OK and
/// on Cancel) and can be saved to and loaded from ".loa" files. Names,
/// values and distinct values come from the owner by requests.
class CLogicalActivationDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 213;
    /// Posted after a choice in the value box, so that its new text is read
    /// once the choice has settled.
    static constexpr int kValueChosenEvent = 1024 + 11;

    /// `fieldIds`: the variables offered; `images`: the pictures the window
    /// icon is taken from (may be empty). The owner answers the requests.
    CLogicalActivationDlg(QWidget* parent, RequestOwner* owner, const QList<qint32>& fieldIds,
                          const QList<QPixmap>& images);

    qint32 m_mode = 0;    ///< 0 activation, 1 crosstab, 2 quote matrix, 3 typology
    qint32 m_topic = 5;   ///< 5 documents, 8 codes

    const QList<ActivationCondition>& Rows() const { return m_rows; }
    /// The offered variables in name order (after the dialog opened).
    const QList<qint32>& OfferedIds() const { return m_fieldIds; }
    /// Mode 0: whether a set named by Description() was asked for.
    bool WantsDescription() const { return m_wantsDescription; }
    QString Description() const { return m_description; }
    /// The folder of the last loaded or saved file.
    QString DefaultFolder() const { return m_defaultFolder; }
    /// The profile section of the mode.
    QString Section() const;

    /// Adds a row when the owner knows its variable; false otherwise.
    bool AddRow(const ActivationCondition& row);
    /// Replaces the rows by those of a text form (profile value or file).
    void LoadRowText(const QString& text);
    /// The file commands, also for a known path (tests, no prompt).
    bool LoadFile(const QString& path);
    bool SaveFile(const QString& path);

    QListWidget* List() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void accept() override;
    void reject() override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnAdd();
    void OnDelete();
    void OnDeleteAll();
    void OnLoad();
    void OnSave();
    void OnHelp();
    /// The selected row takes the link, operator and value of the controls.
    void UpdateRowFromControls();
    /// The controls show the selected row.
    void UpdateControlsFromRow();
    void UpdateButtons();
    void RenderRow(int index);
    int SelectedRow() const;
    QString FieldName(qint32 fieldId, bool* found = nullptr, qint32* type = nullptr) const;
    QStringList DistinctValues(qint32 fieldId) const;
    void WriteProfile() const;

    RequestOwner* m_owner;
    QList<qint32> m_fieldIds;
    QList<QPixmap> m_images;
    QList<ActivationCondition> m_rows;
    bool m_wantsDescription = false;
    QString m_description;
    QString m_defaultFolder;
    bool m_suppressUpdates = false;
    bool m_settingControls = false;

    QListWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_deleteAll = nullptr;
    QRadioButton* m_or = nullptr;
    QRadioButton* m_and = nullptr;
    QList<QRadioButton*> m_operators;
    QComboBox* m_value = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_save = nullptr;
    QCheckBox* m_describe = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
