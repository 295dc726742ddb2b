#include "ui/listsearchpopup.h"

#include "foundation/stringstore.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kButtonStrip = 25;
constexpr int kCloseTip = 32774;

QStringList& history()
{
    static QStringList list;
    return list;
}

}  // namespace

bool RowMatches(const QString& cell, const QString& text)
{
    if (text.startsWith(QLatin1Char('*')))
        return cell.contains(QStringView(text).mid(1), Qt::CaseInsensitive);
    return cell.startsWith(text, Qt::CaseInsensitive);
}

QStringList ListSearchPopup::History()
{
    return history();
}

void ListSearchPopup::ClearHistory()
{
    history().clear();
}

void ListSearchPopup::AddToHistory(const QString& text)
{
    if (text.isEmpty())
        return;
    QStringList& list = history();
    list.removeAll(text);
    list.prepend(text);
    while (list.size() > kHistorySize)
        list.removeLast();
}

std::pair<int, int> ListSearchPopup::FitToScreen(int left, int width, int screenWidth)
{
    width = std::max(width, kMinWidth);
    if (left + width > screenWidth) {
        width = screenWidth - left;
        if (width < kMinWidth) {
            width = kMinWidth;
            left = screenWidth - kMinWidth;
        }
    }
    return {left, width};
}

ListSearchPopup::ListSearchPopup(IRowFinder* finder, int column, int startIndex, int left, int bottomY, int width,
                                 QWidget* parent)
    : QDialog(parent, Qt::Popup), m_finder(finder), m_column(column), m_match(startIndex)
{
    m_combo = new QComboBox(this);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->addItems(history());
    m_combo->setCurrentIndex(-1);
    if (parent)
        m_combo->setFont(parent->font());
    m_close = new QToolButton(this);
    m_close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    m_close->setToolTip(LoadString(kCloseTip));
    m_close->setFixedWidth(kButtonStrip);
    m_close->setAutoRaise(true);
    connect(m_close, &QToolButton::clicked, this, &ListSearchPopup::reject);
    connect(m_combo, &QComboBox::editTextChanged, this, [this](const QString& text) { search(0, text); });
    // The combo box passes Enter and Escape on to its field a second time:
    // both are taken here, before either sees them.
    m_combo->installEventFilter(this);
    m_combo->lineEdit()->installEventFilter(this);
    connect(m_combo, &QComboBox::activated, this, [this](int index) { search(0, m_combo->itemText(index)); });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_combo, 1);
    layout->addWidget(m_close);

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().right() + 1 : left + width;
    const auto [x, w] = FitToScreen(left, width, screenWidth);
    // The taller of field and button sets the height: the layout would grow
    // the popup past bottomY otherwise.
    const int height = std::max(m_combo->sizeHint().height(), m_close->sizeHint().height()) + 2;
    setGeometry(x, bottomY - height, w, height);
}

void ListSearchPopup::search(int start, const QString& text)
{
    if (!m_finder || text.isEmpty() || !m_finder->RowsLoaded())
        return;
    const int row = m_finder->FindRow(std::max(0, start), m_column, text);
    if (row < 0)
        return;   // the current match stays
    m_finder->ShowFoundRow(row, m_match);
    m_match = row;
}

bool ListSearchPopup::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            accept();
            return true;
        case Qt::Key_Escape:
            reject();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ListSearchPopup::accept()
{
    // Enter finds the next match and keeps the popup open.
    search(m_match + 1, m_combo->currentText());
}

void ListSearchPopup::done(int result)
{
    // Every way out (Escape, the button, a click elsewhere) ends here.
    AddToHistory(m_combo->currentText());
    QDialog::done(result);
}
