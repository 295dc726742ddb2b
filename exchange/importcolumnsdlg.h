#pragma once

#include "exchange/tableimports.h"
#include "ui/dlgbase.h"

#include <QComboBox>
#include <QList>
#include <QPointer>

class QLabel;
class QTreeWidget;
class TopicDatabase;

/// @short The variable columns of a table import: each column's name, the
/// variable it goes to (an existing one, or the type of a new one) and a
/// sample value, with a check mark that decides whether it is imported.
/// The import sets the topic and the records before the modal run; OK
/// copies the marks into the records, Cancel leaves them as they were.
class CImportColumnsDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    enum : int {
        kTemplateId = 3141,
        InfoText = 1141,
        ColumnList = 33105,
        ChoiceBoxId = 33106,
    };

    /// Without a store the dialog opens empty.
    explicit CImportColumnsDlg(const TopicDatabase* db, QWidget* parent = nullptr);
    ~CImportColumnsDlg() override;

    qint32 m_topic = 0;
    QList<ImportColumn>* m_columns = nullptr;

    QTreeWidget* List() const { return m_list; }
    QComboBox* ChoiceBox() const { return m_choice; }
    /// Opens the type box over column 1 of a row of a new variable, as a
    /// double click does; rows of existing variables open nothing.
    void EditRow(int row);
    /// The text column 1 shows for an assignment.
    QString AssignmentText(qint32 assignment) const;

    void done(int result) override;

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FillList();
    void PlaceChoice(int row);
    void TakeChoice();
    void CloseChoice();

    const TopicDatabase* m_db;
    QLabel* m_info = nullptr;
    QTreeWidget* m_list = nullptr;
    QPointer<QComboBox> m_choice;
    int m_editRow = -1;
    QList<qint32> m_assignments;   // edited here; the records take them on OK
};

/// @short The chooser of the program: the columns dialog over a window.
class ImportColumnsDialogChooser : public IImportColumnsChooser {
public:
    explicit ImportColumnsDialogChooser(QWidget* parent) : m_parent(parent) {}
    bool ChooseColumns(const TopicDatabase& db, qint32 topic, QList<ImportColumn>& columns) override;

private:
    QWidget* m_parent;
};
