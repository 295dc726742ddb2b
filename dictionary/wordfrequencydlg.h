#pragma once

#include "ui/dlgbase.h"

#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

/// @short The word-frequency options: minimum word length, counting unit,
/// the two document filters, the stop list and, for one count, another
/// stop-list file from the recently used ones.
///
/// In go-list mode (the count of dictionary words) only the unit and the
/// two filters are shown; the other values keep what the caller set.
class CWordFrequencyDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3127;
    static constexpr int kMaxMinChars = 10000;

    enum Control : int {
        HelpButton = 9,
        MinCharsEdit = 57714,
        UnitAll = 1056,
        UnitDocument = 1057,
        UnitSet = 1058,
        OnlyActivated = 1171,
        OnlySegments = 1172,
        UseStopList = 1089,
        StopListCombo = 1173,
        MinCharsLabel = 1225,
    };

    explicit CWordFrequencyDlg(QWidget* parent = nullptr);

    int m_minChars = 1;
    int m_unit = 0;              ///< 0 all together, 1 per document, 2 per set
    bool m_onlyActivated = false;
    bool m_onlySegments = false;
    bool m_useStopList = true;
    bool m_goList = false;
    const QStringList* m_recentStopLists = nullptr;  ///< not owned; may be absent
    QString m_stopListFile;      ///< out: the file chosen for this count; empty for none

    void accept() override;

protected:
    bool OnInitDialog() override;

private:
    QLabel* m_minCharsLabel = nullptr;
    QSpinBox* m_minCharsEdit = nullptr;
    QRadioButton* m_units[3] = {};
    QCheckBox* m_onlyActivatedCheck = nullptr;
    QCheckBox* m_onlySegmentsCheck = nullptr;
    QCheckBox* m_useStopListCheck = nullptr;
    QComboBox* m_stopListCombo = nullptr;
};
