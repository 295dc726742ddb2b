#include "app/baseview.h"

#include "app/appids.h"
#include "foundation/stringstore.h"
#include "ui/captionwnd.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

enum class Glyph { Hide, Maximise, Restore };

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
    auto* strip = new QHBoxLayout(caption);
    strip->setContentsMargins(6, 0, 3, 0);
    strip->setSpacing(2);
    strip->addWidget(m_title, 1);
    strip->addWidget(m_maximise);
    strip->addWidget(m_hide);
    SetMaximised(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption);
    connect(m_hide, &QToolButton::clicked, this, [this] { emit HideRequested(m_paneCommandId); });
    connect(m_maximise, &QToolButton::clicked, this, [this] { emit MaximiseRequested(m_paneCommandId); });
}

void CBaseView::SetPane(QWidget* pane, const QString& title)
{
    m_title->setText(title);
    if (m_pane == pane)
        return;
    if (m_pane && m_pane->parentWidget() == this)
        layout()->removeWidget(m_pane);
    m_pane = pane;
    if (pane) {
        pane->setParent(this);
        layout()->addWidget(pane);
        pane->show();
    }
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

CPlaceholderPane::CPlaceholderPane(const QString& name, QWidget* parent) : QWidget(parent)
{
    setWindowTitle(name);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setMinimumSize(40, 40);
}
