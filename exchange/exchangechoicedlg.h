#pragma once

#include "ui/dlgbase.h"

#include <QComboBox>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>

class QCheckBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class TopicDatabase;

/// @short The choices of a teamwork exchange import: each document of the
/// exchange file assigned to a project document (or to none), and what is
/// merged. The caller fills the candidates, checks and mode before the
/// modal run and reads them and the assignment after OK; Cancel leaves
/// them to the caller as they were.
class CExchangeChoiceDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    enum : int {
        kTemplateId = 3117,
        InfoText = 1141,
        OptionsGroup = 1225,
        VariablesCheck = 1085,
        CodingsCheck = 1086,
        ModeList = 1019,
        MemosCheck = 1088,
        LinksCheck = 1090,
        ProtocolCheck = 1089,
        DocumentList = 33105,
        ChoiceBoxId = 33106,
    };

    /// Without an exchange store the dialog opens empty.
    CExchangeChoiceDlg(const TopicDatabase* exchange, const TopicDatabase* project, const QString& sourceProject,
                       QWidget* parent = nullptr);
    ~CExchangeChoiceDlg() override;

    QList<qint32> m_candidates;        ///< project documents that may receive one, in order
    QMap<qint32, qint32> m_assignment; ///< exchange document → project document (0: none)
    bool m_variables = true;
    bool m_codings = true;
    bool m_memos = true;
    bool m_links = true;
    bool m_protocol = true;
    qint32 m_mode = 0;                 ///< OverlapMode of incoming codings

    QTreeWidget* List() const { return m_list; }
    /// The open choice box; null when none.
    QComboBox* ChoiceBox() const { return m_choice; }
    /// Opens the choice box over column 2 of the row (as a double click does).
    void EditRow(int row);

    void done(int result) override;

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString ShortName(const TopicDatabase* db, qint32 document) const;
    void Preassign();
    void FillList();
    /// Stores the box's choice for its row.
    void TakeChoice();
    void CloseChoice();
    /// Fills the box for the row: the candidates (after a move, all project
    /// documents) that no other row has.
    void FillChoice(int row, bool allDocuments);

    const TopicDatabase* m_exchange;
    const TopicDatabase* m_project;
    QString m_sourceProject;
    QLabel* m_info = nullptr;
    QTreeWidget* m_list = nullptr;
    QCheckBox* m_checks[5] = {};
    QComboBox* m_modeList = nullptr;
    QPointer<QComboBox> m_choice;
    int m_editRow = -1;
    qint32 m_original = 0;  ///< the edited row's document when the box came to it
};
