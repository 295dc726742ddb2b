#pragma once

// The two search dialogs of the find commands and the ".sea" files that
// carry their settings: the search dialog with a free list of terms, the
// extended one with up to seven terms joined by operators.

#include "foundation/searchsettings.h"
#include "ui/dlgbase.h"

#include <QList>
#include <QString>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace SearchDlgIds {
constexpr int SearchTemplate = 184;
constexpr int ExtendedTemplate = 3137;
constexpr int SearchHelpTopic = 1030;
constexpr int ExtendedHelpTopic = 1032;
// Controls of both dialogs.
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Help = 9;
constexpr int Documents = 1098;
constexpr int Memos = 1099;
constexpr int Distance = 1091;   ///< the number box with its spin
constexpr int WholeWords = 1094;
constexpr int MatchCase = 1085;
constexpr int OnlyActivated = 1086;
constexpr int OnlyRetrieved = 1095;
// The search dialog.
constexpr int TermList = 1087;
constexpr int Add = 1093;
constexpr int Delete = 558;
constexpr int AnyTerm = 1089;
constexpr int AllTerms = 1090;
constexpr int WithinDistance = 1088;
constexpr int Load = 3;
constexpr int Save = 4;
constexpr int TermsLabel = 1251;
constexpr int DistanceUnit = 1097;
// The extended dialog.
constexpr int ExtendedWithinDistance = 1097;
constexpr int ExtendedDistanceUnit = 1226;
constexpr int ExtendedTermsLabel = 1223;
constexpr int TermBoxes[] = {1199, 1201, 1202, 1204, 1206, 1208, 1210};
constexpr int OperatorLists[] = {1212, 1214, 1216, 1218, 1220, 1221};
// Commands of the dialogs' keys.
constexpr int EnterKey = 32964;
constexpr int CopyKey = 32966;
}  // namespace SearchDlgIds

namespace SearchDlgText {
constexpr int SearchTitle = 100378;
constexpr int Add = 100379;
constexpr int Delete = 100380;
constexpr int Documents = 100381;
constexpr int Memos = 100382;
constexpr int AnyTerm = 100383;
constexpr int AllTerms = 100384;
constexpr int WithinDistance = 100385;
constexpr int WholeWords = 100386;
constexpr int MatchCase = 100387;
constexpr int OnlyActivated = 100388;
constexpr int OnlyRetrieved = 100389;
constexpr int Ok = 100390;
constexpr int Cancel = 100391;
constexpr int TermsLabel = 100392;
constexpr int DistanceUnit = 100393;
constexpr int Load = 100394;
constexpr int Save = 100395;
constexpr int ExtendedTitle = 102014;
constexpr int ExtendedWithinDistance = 102023;
constexpr int ExtendedDistanceUnit = 102024;
constexpr int FirstOperator = 102210;   ///< operators 0, 1 and 2 in order
constexpr int HelpTooltip = 102059;
constexpr int NewTerm = 57732;           ///< "%s %d" of a new term
constexpr int SaveTitle = 57735;
constexpr int LoadTitle = 57736;
constexpr int FileFilter = 57738;
constexpr int NotRead = 197001;          ///< "%1" the file, "%2" the reason
constexpr int NotWritten = 197002;       ///< "%1" the file, "%2" the reason
constexpr int TooLarge = 197003;
}  // namespace SearchDlgText

/// The longest search term the dialogs take.
constexpr int kMaxSearchTermLength = 63;

/// Reads a ".sea" file: after FF FE UTF-16LE, else 8-bit text (UTF-8 when
/// well-formed, else Windows-1252). False with the reason, `options`
/// untouched, when the file cannot be read or is too large to be one.
bool ReadSearchFile(const QString& path, CSearchOptions& options, QString* error = nullptr);
/// Writes FF FE and the settings text in UTF-16LE through a temporary
/// file renamed into place. False with the reason; an earlier file stays.
bool WriteSearchFile(const QString& path, const CSearchOptions& options, QString* error = nullptr);
/// The last-settings file of a dialog in the settings folder; empty while
/// the program has none.
QString LastSearchFilePath(bool extended);

/// @short What both search dialogs share: the document/memo choice, the
/// distance, the restrictions, OK, Cancel and help; the record they edit;
/// the Enter key; the placement and last settings kept on closing.
///
/// OK and Cancel both read the controls into the record and keep it in the
/// last-settings file, so the next opening shows it again.
class CSearchDlgBase : public CResizableDlgBase {
    Q_OBJECT
public:
    const CSearchOptions& Options() const { return m_options; }

    void done(int result) override;

protected:
    CSearchDlgBase(int templateId, bool extended, QWidget* parent);

    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;

    /// The record into the controls, and the controls into the record.
    virtual void FillControls() = 0;
    virtual void ReadControls(CSearchOptions& options) const = 0;
    virtual void UpdateEnabling() = 0;
    /// Further settings the dialog keeps in the profile on closing.
    virtual void KeepProfileSettings() const {}

    /// Makes the controls both dialogs have; the derived dialog lays them out.
    void MakeCommonControls(int withinTextId, int unitTextId, int withinId, int unitId);
    /// Lays the shared controls out from the row on: the document/memo
    /// choice, the controls given, the distance, the four switches, then
    /// help, OK and Cancel.
    void LayOutCommonControls(QGridLayout* layout, int row, const QList<QWidget*>& afterWhere);
    void FillCommonControls();
    void ReadCommonControls(CSearchOptions& options) const;
    /// The distance box reads 0 or less: it shows 1.
    void FixDistance();
    QString ProfileSection() const;

    CSearchOptions m_options;
    bool m_extended;
    QRadioButton* m_documents = nullptr;
    QRadioButton* m_memos = nullptr;
    QCheckBox* m_withinDistance = nullptr;
    QSpinBox* m_distance = nullptr;
    QLabel* m_distanceUnit = nullptr;
    QCheckBox* m_wholeWords = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_onlyActivated = nullptr;
    QCheckBox* m_onlyRetrieved = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QAbstractButton* m_help = nullptr;

private:
    void RestoreSearchPlacement();
    void SaveSearchPlacement() const;
};

/// @short The search dialog: a list of terms edited in place, any or all
/// of them, and ".sea" files to save and load.
class CSearchDlg : public CSearchDlgBase {
    Q_OBJECT
public:
    explicit CSearchDlg(QWidget* parent = nullptr);

    QListWidget* TermList() const { return m_terms; }
    /// Appends a new term "<text 57732> <n>" with the lowest n above the
    /// item count that no item has, and opens it for editing.
    void AddTerm();
    void DeleteSelectedTerms();
    void SaveSettings();
    void LoadSettings();

protected:
    void FillControls() override;
    void ReadControls(CSearchOptions& options) const override;
    void UpdateEnabling() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void KeepProfileSettings() const override;

private:

    QListWidget* m_terms = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_save = nullptr;
    QRadioButton* m_anyTerm = nullptr;
    QRadioButton* m_allTerms = nullptr;
    QString m_defaultPath;
};

/// @short The extended search dialog: seven term boxes joined by six
/// operator lists.
class CSearchExtDlg : public CSearchDlgBase {
    Q_OBJECT
public:
    static constexpr int kTermCount = 7;

    explicit CSearchExtDlg(QWidget* parent = nullptr);

    QLineEdit* TermBox(int index) const { return m_termBoxes.value(index); }
    QComboBox* OperatorList(int index) const { return m_operators.value(index); }

protected:
    void FillControls() override;
    void ReadControls(CSearchOptions& options) const override;
    void UpdateEnabling() override;

private:
    QList<QLineEdit*> m_termBoxes;
    QList<QComboBox*> m_operators;
};
