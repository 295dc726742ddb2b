#pragma once

#include <QDialog>

class QSpinBox;

/// @short Asks for the lower and upper coding weight of the retrieval's
/// weight filter, each 0 to 100, the lower never above the upper.
///
/// A plain QDialog built in code until the shared dialog base takes over
/// placement and caption translation. Leaving a field pulls its value into
/// range; OK does the same for a value typed and confirmed at once.
class CWeightRangeDlg : public QDialog {
    Q_OBJECT
public:
    CWeightRangeDlg(QWidget* parent, int lower, int upper);

    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }
    QSpinBox* LowerEdit() const { return m_lowerEdit; }
    QSpinBox* UpperEdit() const { return m_upperEdit; }

    void accept() override;

private:
    void lowerLeft();
    void upperLeft();

    int m_lower;
    int m_upper;
    QSpinBox* m_lowerEdit = nullptr;
    QSpinBox* m_upperEdit = nullptr;
};
