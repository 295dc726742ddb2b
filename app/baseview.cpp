#include "app/baseview.h"

#include "app/appids.h"
#include "foundation/stringstore.h"
#include "panes/panecaption.h"
#include "retrieval/contextsearchbar.h"
#include "ui/captionwnd.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kSearchTooltip = 102041;

enum class Glyph { Hide, Maximise, Restore, Search };

/// The 16 × 16 white picture of a pane's caption command.
QIcon CommandIcon(int commandId)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::white, 1));
    switch (commandId) {
    case 30010:   // tree or list of codes
        for (int y : {3, 7, 11}) {
            painter.drawRect(2, y, 1, 1);
            painter.drawLine(6, y, 13, y);
        }
        break;
    case 20115:   // colour filters
    case 20117:
        painter.drawLine(2, 3, 13, 3);
        painter.drawLine(2, 3, 6, 8);
        painter.drawLine(13, 3, 9, 8);
        painter.drawRect(6, 8, 3, 5);
        break;
    case 612:     // exports
    case 613:
    case 611:
    case 616:
    case 658:
        painter.drawRect(2, 6, 9, 7);
        painter.drawLine(7, 9, 13, 3);
        painter.drawLine(10, 3, 13, 3);
        painter.drawLine(13, 3, 13, 6);
        break;
    case 600:     // prints
    case 602:
    case 606:
        painter.drawRect(4, 2, 7, 4);
        painter.drawRect(1, 6, 13, 5);
        painter.drawRect(4, 9, 7, 5);
        break;
    case 20166:   // finding
    case 20167:
        painter.drawEllipse(2, 2, 7, 7);
        painter.drawLine(8, 8, 13, 13);
        break;
    default:
        painter.drawEllipse(5, 5, 5, 5);
        break;
    }
    return QIcon(picture);
}

/// A command's caption tip: its text (a leading line break cut off), then
/// its shortcut after two blanks.
QString CommandTip(int commandId)
{
    QString tip = LoadString(commandId);
    if (tip.startsWith(QLatin1Char('\n')))
        tip.remove(0, 1);
    const QString shortcut = g_pStringStore ? g_pStringStore->GetShortcutText(commandId) : QString();
    if (!shortcut.isEmpty())
        tip += QStringLiteral("  ") + shortcut;
    return tip;
}

// The caption's 9 × 9 white glyphs, drawn so they read on the strip colour.
QIcon CaptionIcon(Glyph glyph)
{
    QPixmap picture(9, 9);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::white, 1));
    switch (glyph) {
    case Glyph::Hide:
        painter.drawLine(1, 1, 7, 7);
        painter.drawLine(1, 7, 7, 1);
        break;
    case Glyph::Maximise:
        painter.drawRect(0, 0, 8, 8);
        painter.drawLine(0, 1, 8, 1);
        break;
    case Glyph::Restore:
        painter.drawRect(0, 3, 5, 5);
        painter.drawLine(3, 0, 8, 0);
        painter.drawLine(8, 0, 8, 5);
        break;
    case Glyph::Search:
        painter.drawEllipse(0, 0, 5, 5);
        painter.drawLine(5, 5, 8, 8);
        break;
    }
    return QIcon(picture);
}

QToolButton* CaptionButton(QWidget* parent, Glyph glyph)
{
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFixedSize(18, 18);
    button->setIcon(CaptionIcon(glyph));
    button->setIconSize(QSize(9, 9));
    return button;
}

}  // namespace

CBaseView::CBaseView(int paneCommandId, QWidget* parent)
    : QWidget(parent), m_paneCommandId(paneCommandId), m_title(new QLabel)
{
    auto* caption = new QWidget(this);
    caption->setFixedHeight(kCaptionHeight);
    caption->setAutoFillBackground(true);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::Window, caption::kBackground);
    palette.setColor(QPalette::WindowText, Qt::white);
    caption->setPalette(palette);
    QFont bold = caption->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_hide = CaptionButton(caption, Glyph::Hide);
    m_maximise = CaptionButton(caption, Glyph::Maximise);
    m_search = CaptionButton(caption, Glyph::Search);
    m_search->setToolTip(LoadString(kSearchTooltip));
    auto* strip = new QHBoxLayout(caption);
    strip->setContentsMargins(6, 0, 3, 0);
    strip->setSpacing(2);
    strip->addWidget(m_title, 1);
    // The pane's buttons stand left of the search button, the first slot
    // nearest to it.
    for (int slot = IPaneCaption::kButtonSlots - 1; slot >= 0; --slot) {
        auto* button = new QToolButton(caption);
        button->setAutoRaise(true);
        button->setFixedSize(18, 18);
        button->setIconSize(QSize(16, 16));
        button->hide();
        connect(button, &QToolButton::clicked, this, [this, slot] { PaneButtonClicked(slot); });
        m_paneButtons[size_t(slot)] = button;
        strip->addWidget(button);
    }
    strip->addWidget(m_search);
    strip->addSpacing(9);
    strip->addWidget(m_maximise);
    strip->addWidget(m_hide);
    SetMaximised(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption);
    connect(m_hide, &QToolButton::clicked, this, [this] { emit HideRequested(m_paneCommandId); });
    connect(m_maximise, &QToolButton::clicked, this, [this] { emit MaximiseRequested(m_paneCommandId); });
    connect(m_search, &QToolButton::clicked, this, &CBaseView::ToggleContextSearch);
}

void CBaseView::SetPane(QWidget* pane, const QString& title)
{
    m_title->setText(title);
    m_paneTitle = title;
    if (m_pane == pane)
        return;
    if (m_pane)
        disconnect(m_pane, &QWidget::windowTitleChanged, this, nullptr);
    // The caption follows what the pane shows (the browser its document);
    // without a title of its own the pane's name stands there.
    if (pane)
        connect(pane, &QWidget::windowTitleChanged, this,
                [this](const QString& text) { m_title->setText(text.isEmpty() ? m_paneTitle : text); });
    if (m_searchBar)
        m_searchBar->ClearSearch();
    if (auto* searched = dynamic_cast<IContextSearchPane*>(m_pane.data()))
        searched->SetContextSearchNotice({});
    if (m_pane && m_pane->parentWidget() == this)
        layout()->removeWidget(m_pane);
    m_pane = pane;
    if (pane) {
        pane->setParent(this);
        layout()->addWidget(pane);
        pane->show();
    }
    const auto* captioned = dynamic_cast<IPaneCaption*>(pane);
    m_paneCommands = captioned ? captioned->CaptionCommands() : decltype(m_paneCommands){};
    for (size_t slot = 0; slot < m_paneButtons.size(); ++slot) {
        if (const int command = m_paneCommands[slot]) {
            m_paneButtons[slot]->setIcon(CommandIcon(command));
            const QString tip = captioned->CaptionTip(command);
            m_paneButtons[slot]->setToolTip(tip.isEmpty() ? CommandTip(command) : tip);
        }
    }
    UpdateCaptionButtons();
    if (auto* searched = dynamic_cast<IContextSearchPane*>(pane)) {
        // The pane's content was reset or rebuilt: the bar closes or
        // searches again.
        searched->SetContextSearchNotice([this](qint32 code) {
            ContextSearchRequest request;
            request.code = code;
            ContextSearch(request);
        });
    }
}

void CBaseView::SetCommandState(CommandState state)
{
    m_commandState = std::move(state);
    UpdateCaptionButtons();
}

void CBaseView::UpdateCaptionButtons()
{
    for (size_t slot = 0; slot < m_paneButtons.size(); ++slot) {
        QToolButton* button = m_paneButtons[slot];
        const int command = m_paneCommands[slot];
        CCmdUI ui;
        ui.id = command;
        ui.handled = true;
        if (command != 0 && m_commandState)
            ui = m_commandState(command);
        button->setVisible(command != 0 && ui.handled);
        button->setEnabled(ui.enabled);
        button->setCheckable(ui.checkable);
        button->setChecked(ui.checkable && ui.checked);
    }
}

QToolButton* CBaseView::PaneButton(int commandId) const
{
    for (size_t slot = 0; slot < m_paneButtons.size(); ++slot)
        if (commandId != 0 && m_paneCommands[slot] == commandId)
            return m_paneButtons[slot];
    return nullptr;
}

void CBaseView::PaneButtonClicked(int slot)
{
    const int command = m_paneCommands[size_t(slot)];
    auto* captioned = dynamic_cast<IPaneCaption*>(m_pane.data());
    if (command != 0 && captioned)
        captioned->OnCaptionCommand(command);
    UpdateCaptionButtons();
}

void CBaseView::ToggleContextSearch()
{
    if (m_searchBar) {
        m_searchBar->ClearSearch();
        return;
    }
    const auto* searched = dynamic_cast<IContextSearchPane*>(m_pane.data());
    if (!searched || !searched->OffersContextSearch())
        return;
    m_searchBar = new CContextSearchBar(this, this);
    // Under the caption and a one-pixel line: the pane starts 50 pixels down.
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertSpacing(1, 1);
    column->insertWidget(2, m_searchBar);
    m_searchBar->show();
    m_searchBar->Field()->setFocus();
}

bool CBaseView::ContextSearch(ContextSearchRequest& request)
{
    if (request.code == ContextSearchCode::Reset && m_searchBar) {
        auto* column = static_cast<QVBoxLayout*>(layout());
        column->removeWidget(m_searchBar);
        delete column->takeAt(1);
        m_searchBar->hide();
        m_searchBar->deleteLater();
        m_searchBar = nullptr;
    } else if (request.code == ContextSearchCode::Reset) {
        // The bar closed itself; its place in the layout goes with it.
        auto* column = static_cast<QVBoxLayout*>(layout());
        if (column->count() > 2 && column->itemAt(1)->spacerItem())
            delete column->takeAt(1);
    }
    if (request.code == ContextSearchCode::SearchAgain) {
        if (m_searchBar)
            m_searchBar->Search();
        return m_searchBar != nullptr;
    }
    auto* searched = dynamic_cast<IContextSearchPane*>(m_pane.data());
    return searched && searched->OnContextSearch(request);
}

QString CBaseView::Title() const
{
    return m_title->text();
}

void CBaseView::SetMaximised(bool maximised)
{
    m_hide->setEnabled(!maximised);
    m_hide->setToolTip(LoadString(AppText::HidePane));
    m_maximise->setIcon(CaptionIcon(maximised ? Glyph::Restore : Glyph::Maximise));
    m_maximise->setToolTip(LoadString(maximised ? AppText::RestorePanes : AppText::MaximisePane));
}
