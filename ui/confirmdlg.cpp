#include "ui/confirmdlg.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

CConfirmDlg::CConfirmDlg(const ConfirmPrompt& prompt, QWidget* parent)
    : CPlainDlgBase(kTemplateId, parent), m_point(prompt.point), m_offset(prompt.offset)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    m_message = new QLabel(prompt.message, this);
    SetControlId(m_message, kMessageId);
    m_message->setWordWrap(true);
    auto* ok = new QPushButton(prompt.okText, this);
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    auto* cancel = new QPushButton(prompt.cancelText, this);
    SetControlId(cancel, kCancelId);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] { done(kOkId); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kCancelId); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_message, 1);
    layout->addLayout(buttons);
}

QPoint CConfirmDlg::PlaceAt(QPoint point, int offset, QSize size, const QRect& area)
{
    int left = point.x() - kMargin;
    if (left < area.left())
        left = area.left() + kMargin;
    if (left + size.width() > area.right() + 1)
        left = area.right() + 1 - kMargin - size.width();
    int top = point.y();
    if (top + size.height() > area.bottom() + 1)
        top = point.y() - offset - size.height();
    return {left, top};
}

bool CConfirmDlg::OnInitDialog()
{
    CPlainDlgBase::OnInitDialog();
    adjustSize();
    const QScreen* screen = QGuiApplication::screenAt(m_point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        move(PlaceAt(m_point, m_offset, size(), screen->availableGeometry()));
    raise();
    activateWindow();
    return true;
}

QPushButton* CConfirmDlg::Button(int buttonId) const
{
    return qobject_cast<QPushButton*>(FindControl(this, buttonId));
}

void CConfirmDlg::reject()
{
    done(kCancelId);
}
