#include "retrieval/contextsearchbar.h"

#include "foundation/stringstore.h"
#include "panes/contextsearch.h"
#include "retrieval/retrievalids.h"
#include "ui/dlgbase.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>

namespace {

constexpr int kFieldId = 3147;
constexpr int kEditId = 3145;
constexpr int kCounterId = 1148;
constexpr int kNextId = 3;
constexpr int kPreviousId = 4;
constexpr int kCloseId = 2;
const QColor kFrameColour(101, 147, 207);

QIcon CloseIcon()
{
    QPixmap picture(9, 9);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QPen(QColor(80, 80, 80), 1.5));
    painter.drawLine(1, 1, 7, 7);
    painter.drawLine(1, 7, 7, 1);
    return QIcon(picture);
}

QToolButton* BarButton(QWidget* parent, int id, const QRect& place)
{
    auto* button = new QToolButton(parent);
    SetControlId(button, id);
    button->setAutoRaise(true);
    button->setGeometry(place);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

CContextSearch::CContextSearch(QWidget* parent) : QWidget(parent), m_edit(new QLineEdit(this))
{
    SetControlId(this, kFieldId);
    SetControlId(m_edit, kEditId);
    m_edit->setFrame(false);
    m_edit->setGeometry(22, 2, 116, 15);
    m_edit->installEventFilter(this);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kSearchDelayMs);
    connect(m_edit, &QLineEdit::textChanged, this, [this] { m_timer.start(); });
    connect(&m_timer, &QTimer::timeout, this, &CContextSearch::SearchDue);
    setFocusProxy(m_edit);
}

QString CContextSearch::Text() const
{
    return m_edit->text();
}

bool CContextSearch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        m_focused = event->type() == QEvent::FocusIn;
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void CContextSearch::mousePressEvent(QMouseEvent*)
{
    m_edit->setFocus();
}

void CContextSearch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    // The search glyph: a lens with its handle.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(110, 110, 110), 1.5));
    painter.drawEllipse(QRectF(5, 4, 8, 8));
    painter.drawLine(QPointF(12, 11), QPointF(16, 15));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(kFrameColour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_focused)
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
}

CContextSearchBar::CContextSearchBar(IContextSearchHost* owner, QWidget* parent)
    : QWidget(parent), m_owner(owner)
{
    SetControlId(this, kControlId);
    setFixedHeight(kBarHeight);
    setAutoFillBackground(true);
    m_close = BarButton(this, kCloseId, QRect(0, 2, 22, 21));
    m_close->setIcon(CloseIcon());
    m_close->setIconSize(QSize(9, 9));
    m_close->setToolTip(LoadString(RetrievalText::CloseSearch));
    m_field = new CContextSearch(this);
    m_field->setGeometry(32, 3, 142, 19);
    m_next = BarButton(this, kNextId, QRect(185, 2, 22, 21));
    m_next->setArrowType(Qt::DownArrow);
    m_next->setToolTip(LoadString(RetrievalText::NextHit));
    m_previous = BarButton(this, kPreviousId, QRect(210, 2, 22, 21));
    m_previous->setArrowType(Qt::UpArrow);
    m_previous->setToolTip(LoadString(RetrievalText::PreviousHit));
    m_counter = new QLabel(QStringLiteral("0 / 0"), this);
    SetControlId(m_counter, kCounterId);
    m_counter->setGeometry(250, 6, 200, 16);

    connect(m_field, &CContextSearch::SearchDue, this, &CContextSearchBar::Search);
    connect(m_close, &QToolButton::clicked, this, &CContextSearchBar::ClearSearch);
    connect(m_next, &QToolButton::clicked, this, &CContextSearchBar::Next);
    connect(m_previous, &QToolButton::clicked, this, &CContextSearchBar::Previous);
    for (const auto& [key, step] : {std::pair{Qt::Key_Down, &CContextSearchBar::Next},
                                    std::pair{Qt::Key_Up, &CContextSearchBar::Previous}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, step);
    }
}

QString CContextSearchBar::CounterText() const
{
    return m_counter->text();
}

void CContextSearchBar::ShowCount(qint32 current, qint32 count)
{
    m_counter->setText(QStringLiteral("%1 / %2").arg(current).arg(count));
}

void CContextSearchBar::Search()
{
    // Lower-cased one unit at a time, so hit positions never drift.
    QString text = m_field->Text().trimmed();
    for (QChar& unit : text)
        unit = unit.toLower();
    ContextSearchRequest request;
    request.code = ContextSearchCode::Search;
    request.text = text;
    const bool answered = m_owner && m_owner->ContextSearch(request);
    if (answered && request.count != 0)
        ShowCount(request.current, request.count);
    else if (answered && text.isEmpty())
        ShowCount(0, 0);
    else if (!text.isEmpty())
        m_counter->setText(LoadString(RetrievalText::NotFound));
    m_field->setFocus();
    emit Searched();
}

void CContextSearchBar::Step(qint32 code)
{
    ContextSearchRequest request;
    request.code = code;
    if (m_owner && m_owner->ContextSearch(request))
        ShowCount(request.current, request.count);
    m_field->setFocus();
}

void CContextSearchBar::Next()
{
    Step(ContextSearchCode::Next);
}

void CContextSearchBar::Previous()
{
    Step(ContextSearchCode::Previous);
}

void CContextSearchBar::ClearSearch()
{
    IContextSearchHost* owner = m_owner;
    m_owner = nullptr;
    hide();
    deleteLater();
    ContextSearchRequest request;
    request.code = ContextSearchCode::Reset;
    if (owner)
        owner->ContextSearch(request);
}

void CContextSearchBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
}

void CContextSearchBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_field->setFocus();
}
