#include "ui/dlgbase.h"

#include "foundation/colorhelpers.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

const char* const kControlIdProperty = "korvanControlId";
const QString kPlacementKey = QStringLiteral("WindowPos");
constexpr COLORREF kSchemeBorder = MakeColor(101, 147, 207);
constexpr int kMinimumWidth = 100;
constexpr int kMinimumHeight = 50;

// A saved rectangle is used only when enough of it lies on a screen that
// exists now to grab and move it; otherwise the dialog would open out of reach.
bool IsReachable(const QRect& rect)
{
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(rect);
        if (common.width() >= 50 && common.height() >= 20)
            return true;
    }
    return false;
}

}  // namespace

void SetControlId(QWidget* control, int id)
{
    if (control)
        control->setProperty(kControlIdProperty, id);
}

int ControlId(const QWidget* control)
{
    return control ? control->property(kControlIdProperty).toInt() : 0;
}

QWidget* FindControl(const QWidget* parent, int id)
{
    if (!parent || id == 0)
        return nullptr;
    for (QWidget* child : parent->findChildren<QWidget*>())
        if (ControlId(child) == id)
            return child;
    return nullptr;
}

QPushButton* MakeIconButton(QWidget* parent, int id, QStyle::StandardPixmap icon, int tipTextId)
{
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setFixedSize(24, 22);
    button->setToolTip(LoadString(tipTextId));
    button->setAutoDefault(false);
    return button;
}

QString TextKey(int textId)
{
    return QStringLiteral("@STR%1|").arg(textId);
}

QString TextKey(int textId, const char* fallback)
{
    return QStringLiteral("@STR%1|%2").arg(textId).arg(QLatin1String(fallback));
}

QString ControlText(const QWidget* control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    return {};
}

void SetControlText(QWidget* control, const QString& text)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
}

bool TranslateKey(QString& text)
{
    QString translated = text;
    if (!g_pStringStore->TranslateCaption(translated))
        return false;
    if (translated.isEmpty()) {
        // The key's own fallback beats an empty caption.
        const qsizetype bar = text.indexOf(u'|');
        if (bar >= 0)
            translated = text.mid(bar + 1).trimmed();
    }
    text = translated;
    return true;
}

void TranslateMenu(QMenu* menu)
{
    if (!menu)
        return;
    for (QAction* action : menu->actions()) {
        QString text = action->text();
        if (!TranslateKey(text))
            continue;
        action->setText(text);
        TranslateMenu(action->menu());
    }
}

CResizableDlgBase::CResizableDlgBase(int templateId, QWidget* parent)
    : QDialog(parent), m_templateId(templateId)
{
}

CResizableDlgBase::~CResizableDlgBase() = default;

void CResizableDlgBase::AddTranslatedMenu(QMenu* menu)
{
    if (menu)
        connect(menu, &QMenu::aboutToShow, menu, [menu] { TranslateMenu(menu); });
}

void CResizableDlgBase::setVisible(bool visible)
{
    if (visible && !m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void CResizableDlgBase::done(int result)
{
    SavePlacement();
    QDialog::done(result);
}

bool CResizableDlgBase::OnInitDialog()
{
    setMinimumSize(minimumSize().expandedTo(QSize(kMinimumWidth, kMinimumHeight)));
    TranslateTexts();
    if (!m_strSection.isEmpty()) {
        // The layout fixes the size the translated texts need before a
        // saved placement may widen it.
        adjustSize();
        RestorePlacement();
    }
    return true;
}

void CResizableDlgBase::TranslateTexts()
{
    QString title = m_strTitle.isEmpty() ? windowTitle() : m_strTitle;
    if (m_strTitle.isEmpty())
        TranslateKey(title);
    setWindowTitle(title);
    for (QWidget* child : findChildren<QWidget*>()) {
        const int id = ControlId(child);
        if (id < 1 || id >= kFirstUntranslatedControlId)
            continue;
        QString text = ControlText(child);
        if (!text.isEmpty() && TranslateKey(text))
            SetControlText(child, text);
    }
}

bool CResizableDlgBase::RestorePlacement()
{
    if (m_strSection.isEmpty() || g_program.ProfilePath.isEmpty())
        return false;
    const QStringList parts = PrivateProfile(g_program.ProfilePath)
                                  .GetString(m_strSection, kPlacementKey)
                                  .split(u',');
    if (parts.size() != 4)
        return false;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    QRect rect(values[0], values[1], values[2], values[3]);
    if (rect.width() <= 0 || rect.height() <= 0 || !IsReachable(rect))
        return false;
    rect.setSize(rect.size().expandedTo(minimumSize()).boundedTo(maximumSize()));
    setGeometry(rect);
    return true;
}

void CResizableDlgBase::SavePlacement() const
{
    if (m_strSection.isEmpty() || g_program.ProfilePath.isEmpty() || !m_initialised)
        return;
    const QRect rect = geometry();
    PrivateProfile(g_program.ProfilePath)
        .WriteString(m_strSection, kPlacementKey,
                     QStringLiteral("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()));
}

CPlainDlgBase::CPlainDlgBase(int templateId, QWidget* parent) : CResizableDlgBase(templateId, parent) {}

void CPlainDlgBase::paintEvent(QPaintEvent* event)
{
    CResizableDlgBase::paintEvent(event);
    if (!m_bDrawBorder)
        return;
    QPainter painter(this);
    painter.setPen(QColor(RedOf(kSchemeBorder), GreenOf(kSchemeBorder), BlueOf(kSchemeBorder)));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
