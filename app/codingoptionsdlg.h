#pragma once

#include "ui/dlgbase.h"

#include <QList>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

/// @short Asks how a batch of segments is coded: with which code of the
/// quick-code list and which weight, and, when the caller asks for it, an
/// extent (0, 1 or 2; the third with a number of units before and after).
///
/// The caller fills the members, runs the dialog and after OK reads the
/// selected code, the weight (which it clamps to 0 to 100 itself), the
/// extent and the two amounts. The number fields take nothing outside 0 to
/// 100.
class CCodingOptionsDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 214;
    static constexpr int kMaxNumber = 100;

    /// Control ids of the template.
    enum Control : int {
        HelpButton = 9,
        CodeComboId = 510,
        WeightEdit = 1092,
        ExtentFirst = 1100,
        ExtentSecond = 1103,
        ExtentThird = 1101,
        MinusLabel = 1098,
        MinusEdit = 1091,
        PlusLabel = 1102,
        PlusEdit = 1246,
    };

    CCodingOptionsDlg(QWidget* parent, bool showExtent);

    QString m_codeText;         ///< the entry with this text (without regard to case) is selected first
    QList<qint32> m_codeIds;    ///< the combo's entries, index for index with the names
    QStringList m_codeNames;
    qint32 m_selectedCode = 0;  ///< out: the code of the chosen entry
    int m_weight = 100;
    int m_extent = 0;
    int m_minus = 0;
    int m_plus = 0;

    QComboBox* CodeCombo() const { return m_combo; }
    QSpinBox* WeightField() const { return m_weightEdit; }

    void accept() override;

protected:
    bool OnInitDialog() override;

private:
    void ChooseExtent(int extent);

    bool m_showExtent;
    QComboBox* m_combo = nullptr;
    QSpinBox* m_weightEdit = nullptr;
    QRadioButton* m_extents[3] = {};
    QLabel* m_minusLabel = nullptr;
    QLabel* m_plusLabel = nullptr;
    QSpinBox* m_minusEdit = nullptr;
    QSpinBox* m_plusEdit = nullptr;
    QPushButton* m_help = nullptr;
};
