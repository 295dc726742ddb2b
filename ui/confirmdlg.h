#pragma once

#include "foundation/messageservice.h"
#include "ui/dlgbase.h"

#include <QRect>

class QLabel;
class QPushButton;

/// @short A small confirmation popup at a screen point with OK and Cancel.
///
/// exec() returns kOkId or kCancelId (also for Escape). The popup is placed
/// by PlaceAt so that it stays whole on the screen of the point. Code below
/// the shell asks through AskConfirm (foundation/messageservice.h), which
/// the shell's message service answers with this popup.
class CConfirmDlg : public CPlainDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 209;
    static constexpr int kOkId = 1;
    static constexpr int kCancelId = 2;
    static constexpr int kMessageId = 1233;
    /// Pixels kept between the popup and the point's left, and the screen's
    /// left and right edges.
    static constexpr int kMargin = 5;

    explicit CConfirmDlg(const ConfirmPrompt& prompt, QWidget* parent = nullptr);

    /// The top left of a popup of `size` for the point: (x - 5, y); a left
    /// edge left of the area becomes 5 inside it, one that would pass its
    /// right edge ends 5 pixels before it; a popup that would pass the
    /// bottom goes above the point (y - offset - height).
    static QPoint PlaceAt(QPoint point, int offset, QSize size, const QRect& area);

    QPushButton* Button(int buttonId) const;
    QLabel* MessageLabel() const { return m_message; }

    void reject() override;

protected:
    bool OnInitDialog() override;

private:
    QLabel* m_message = nullptr;
    QPoint m_point;
    int m_offset = 0;
};
