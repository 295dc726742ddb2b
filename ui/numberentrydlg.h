#pragma once

#include <QDialog>

class QLabel;
class QSpinBox;

/// @short Asks for one whole number within fixed limits: 20 to 10000 with
/// the range switch set (the wrap count), else 0 to 100.
///
/// A plain QDialog built in code until the shared dialog base takes over
/// placement and caption translation. The limits hold while typing, when the
/// field is left and on OK.
class NumberEntryDlg : public QDialog {
    Q_OBJECT
public:
    NumberEntryDlg(int value, int rangeSwitch, QWidget* parent = nullptr);

    /// The value after OK, always within the limits.
    int Value() const { return m_value; }
    QSpinBox* Edit() const { return m_edit; }

    void accept() override;

private:
    void showHelp();

    int m_value;
    int m_rangeSwitch;
    QLabel* m_label = nullptr;
    QSpinBox* m_edit = nullptr;
};
