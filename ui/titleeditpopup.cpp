#include "ui/titleeditpopup.h"

#include "foundation/stringstore.h"

#include <QDoubleValidator>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

namespace {

namespace Text {
constexpr int OkTip = 57345;
constexpr int CancelTip = 57346;
}  // namespace Text

constexpr int kLabelLeft = 10;
constexpr int kLabelPadding = 10;
constexpr int kEditGap = 5;
constexpr int kOkGap = 10;
constexpr int kCancelGap = 5;
constexpr int kButtonWidth = 16;
constexpr int kRightMargin = 7;
constexpr int kScreenMargin = 5;

}  // namespace

CTitleEditPopup::CTitleEditPopup(const Placement& placement)
    : QDialog(placement.parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    m_label = new QLabel(this);
    m_edit = new QLineEdit(this);
    auto* validator = new QDoubleValidator(0.0, kMaxValue, 6, m_edit);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(QLocale::c());
    m_edit->setValidator(validator);
    m_ok = new QToolButton(this);
    m_ok->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    m_ok->setToolTip(LoadString(Text::OkTip));
    m_ok->setAutoRaise(true);
    m_cancel = new QToolButton(this);
    m_cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    m_cancel->setToolTip(LoadString(Text::CancelTip));
    m_cancel->setAutoRaise(true);
    connect(m_ok, &QToolButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QToolButton::clicked, this, &QDialog::reject);
    layOut(placement);
}

void CTitleEditPopup::layOut(const Placement& placement)
{
    const int editHeight = m_edit->sizeHint().height();
    const int editWidth = 80;
    const int top = (kHeight - editHeight) / 2;
    m_label->setText(placement.caption);
    const int labelWidth = m_label->fontMetrics().horizontalAdvance(placement.caption) + kLabelPadding;
    m_label->setGeometry(kLabelLeft, 0, labelWidth, kHeight);
    const int editLeft = kLabelLeft + labelWidth + kEditGap;
    m_edit->setGeometry(editLeft, top, editWidth, editHeight);
    const int okLeft = editLeft + editWidth + kOkGap;
    m_ok->setGeometry(okLeft, (kHeight - kButtonWidth) / 2, kButtonWidth, kButtonWidth);
    const int cancelLeft = okLeft + kButtonWidth + kCancelGap;
    m_cancel->setGeometry(cancelLeft, (kHeight - kButtonWidth) / 2, kButtonWidth, kButtonWidth);
    const QSize size(cancelLeft + kButtonWidth + kRightMargin, kHeight);
    setFixedSize(size);

    const QScreen* screen = placement.parent ? placement.parent->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    if (placement.y == 0) {
        QRect centred(QPoint(), size);
        centred.moveCenter((placement.parent ? placement.parent->window()->geometry() : area).center());
        move(centred.topLeft());
    } else {
        move(PlaceOnScreen(placement, size, editHeight - editLeft, area));
    }
}

QPoint CTitleEditPopup::PlaceOnScreen(const Placement& placement, const QSize& size, int editShift,
                                      const QRect& screen)
{
    int x = placement.x + editShift;
    if (x < screen.left())
        x = screen.left() + kScreenMargin;
    if (x + size.width() > screen.right() + 1)
        x = screen.right() + 1 - size.width() - kScreenMargin;
    int y = placement.y;
    if (y + kHeight > screen.bottom() + 1)
        y = placement.fallbackY - kHeight;
    return QPoint(x, y);
}

void CTitleEditPopup::SetValue(double value)
{
    m_value = value;
    m_edit->setText(QLocale::c().toString(value, 'g', 15));
}

void CTitleEditPopup::accept()
{
    bool ok = false;
    const double value = QLocale::c().toDouble(m_edit->text().trimmed(), &ok);
    if (!ok || value < 0.0 || value > kMaxValue) {
        // Stays open with the field selected, as nothing valid was given.
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    m_value = value;
    QDialog::accept();
}

void CTitleEditPopup::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragFrom = event->globalPosition().toPoint();
        grabMouse();
    }
    QDialog::mousePressEvent(event);
}

void CTitleEditPopup::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        const QPoint now = event->globalPosition().toPoint();
        move(pos() + now - m_dragFrom);
        m_dragFrom = now;
    }
    QDialog::mouseMoveEvent(event);
}

void CTitleEditPopup::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        releaseMouse();
    }
    QDialog::mouseReleaseEvent(event);
}

void CTitleEditPopup::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));   // the border a frameless window lacks
}
