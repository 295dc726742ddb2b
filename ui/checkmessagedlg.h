#pragma once

#include "ui/dlgbase.h"

class QCheckBox;
class QLabel;

/// @short A message with one check box, OK and Cancel.
///
/// The creator puts the message into m_strText, runs the dialog with exec()
/// and reads m_nCheck afterwards: the box's state is kept however the
/// dialog was left, Cancel and the window's close button included.
class CheckMessageDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    enum : int {
        kTemplateId = 3151,
        kOkId = 1,
        kCancelId = 2,
        kCheckId = 1085,
        kTextId = 1233,
    };

    explicit CheckMessageDlg(QWidget* parent = nullptr);

    void done(int result) override;

    QString m_strText;
    int m_nCheck = 1;   ///< 1 ticked, 0 not

protected:
    bool OnInitDialog() override;

private:
    QLabel* m_text;
    QCheckBox* m_check;
};
