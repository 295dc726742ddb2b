#pragma once

#include "foundation/optionsrecord.h"
#include "ui/dlgbase.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QTimer>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

/// @short What the retrieval-function dialog asks of the frame.
class IRetrievalFunctionHost {
public:
    virtual ~IRetrievalFunctionHost() = default;
    /// The number of segments the settings would retrieve: a counting run,
    /// which changes nothing. 0 without a project.
    virtual qint32 CountRetrieval(const OptionsRecord& settings) = 0;
    /// The document's settings were changed: rerun the retrieval with them
    /// and refresh the status bar. Called after the dialog returned to the
    /// event loop.
    virtual void RetrievalSettingsApplied() = 0;
    /// The display text of a code; empty when there is no such code.
    virtual QString CodeName(qint32 code) = 0;
    /// The ids of the activated codes, in store order.
    virtual QList<qint32> ActivatedCodes() = 0;
    /// The entries of the main tool bar's quick-code list: id and name.
    virtual QList<QPair<qint32, QString>> QuickCodes() = 0;
};

/// @short The retrieval function with its codes, code, number and output
/// variant, and how many segments the choice would retrieve.
///
/// Modeless. Edits a working copy of the document's settings; every change
/// marks it dirty and counts again through a counting run (typing in the
/// number field is counted once the typing pauses, and the same settings
/// are never counted twice). OK copies the working copy into the
/// document's settings only when something changed, and only then asks the
/// frame for a run; Cancel and the close box change nothing. Deletes
/// itself when closed. UI thread only.
class CRetrievalFunctionDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 197;
    /// How long typing in the number field may pause before it is counted.
    static constexpr int kTypingPauseMs = 250;

    /// The settings belong to the document and outlive the dialog; the
    /// host is the frame. Neither is owned.
    CRetrievalFunctionDlg(IRetrievalFunctionHost* host, OptionsRecord* settings, QWidget* parent = nullptr);
    ~CRetrievalFunctionDlg() override;

    const OptionsRecord& WorkingSettings() const { return m_working; }
    bool IsDirty() const { return m_dirty; }
    /// The count shown last.
    qint32 ShownCount() const { return m_shownCount; }
    /// The counting runs asked for so far.
    int CountRuns() const { return m_countRuns; }
    /// Sets the function code B as the popup menu's choice does.
    void ChooseCode(qint32 code);

signals:
    /// A count was shown (after a counting run).
    void Counted(qint32 count);

protected:
    bool OnInitDialog() override;
    void accept() override;
    void reject() override;

private:
    void OnFunctionChanged();
    void OnChooseCode();
    void OnTakeActivatedCodes();
    void OnRemoveCodes();
    void OnInputChanged();
    void OnSubcodesClicked();
    void OnNumberTyped();
    void ShowFunction();
    void StoreSettings();
    void UpdateCount();
    void FillCodeList();
    QString GetCodeName(qint32 code);
    void SetSlotCaptions(const QString& a, const QString& b, const QString& c);

    IRetrievalFunctionHost* m_host;
    OptionsRecord* m_settings;
    OptionsRecord m_working;
    bool m_dirty = false;
    qint32 m_chosenCode = 0;
    qint32 m_shownCount = 0;
    int m_countRuns = 0;
    QString m_countedSettings;  // the text form of the settings counted last
    QTimer m_typing;

    QComboBox* m_functions = nullptr;
    QList<QLabel*> m_pictures;
    QListWidget* m_codes = nullptr;
    QPushButton* m_takeActivated = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_chooseCode = nullptr;
    QLabel* m_codeName = nullptr;
    QSpinBox* m_number = nullptr;
    QLabel* m_numberLabel = nullptr;
    QButtonGroup* m_variants = nullptr;
    QList<QAbstractButton*> m_variantButtons;
    QAbstractButton* m_subcodes = nullptr;
    QGroupBox* m_slotA = nullptr;
    QGroupBox* m_slotB = nullptr;
    QGroupBox* m_slotC = nullptr;
    QGroupBox* m_outputGroup = nullptr;
    QLabel* m_explanation = nullptr;
    QLabel* m_count = nullptr;
};
