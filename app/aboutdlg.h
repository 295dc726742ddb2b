#pragma once

#include "ui/dlgbase.h"

/// @short The About box: program name with its build, a description, the
/// rights notice and credits. A click anywhere on it closes it.
class CAboutDlg : public CPlainDlgBase {
    Q_OBJECT
public:
    enum : int {
        kTemplateId = 117,
        kProgramNameId = 1109,
        kDescriptionId = 1207,
        kSupportId = 1209,
        kWebsiteId = 1024,
        kMailId = 1025,
        kRightsId = 1203,
        kPdfCreditId = 1204,
        kCreditsId = 1205,
    };

    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    void mousePressEvent(QMouseEvent* event) override;
};
