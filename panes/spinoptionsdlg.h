#pragma once

#include "ui/dlgbase.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

/// @short The hit-extent choice of the retrieval settings: the hit alone,
/// its sentence, or its paragraph with a number of paragraphs before and
/// after (0 to 100 each, only for the third choice).
///
/// The opener sets the three values, runs the dialog and reads them back
/// after OK; OK refuses to close while a number is outside 0 to 100.
class SpinOptionsDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 187;
    static constexpr int kMaxNumber = 100;

    explicit SpinOptionsDlg(QWidget* parent = nullptr);

    int m_choice = -1;     ///< 0 hit, 1 sentence, 2 paragraphs; -1 until set
    int m_first = 0;       ///< paragraphs before
    int m_second = 0;      ///< paragraphs after

    void accept() override;

protected:
    bool OnInitDialog() override;

private:
    void choose(int choice);
    /// Reads the controls back; false when a number is outside its range.
    bool readBack();

    QRadioButton* m_choices[3] = {};
    QLineEdit* m_firstEdit = nullptr;
    QLineEdit* m_secondEdit = nullptr;
    QPushButton* m_minus = nullptr;
    QPushButton* m_plus = nullptr;
    QPushButton* m_extra = nullptr;
};
