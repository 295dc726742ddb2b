#include "retrieval/typologytabledlg.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "foundation/texthelpers.h"
#include "ui/treeimages.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

namespace Control {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int TickAll = 3;
constexpr int UntickAll = 4;
constexpr int TickMarked = 5;
constexpr int Help = 9;
constexpr int List = 1032;
constexpr int Option = 1170;
}  // namespace Control

namespace Text {
constexpr int Ok = 100448;
constexpr int Cancel = 100449;
constexpr int TickAll = 100450;
constexpr int UntickAll = 100451;
constexpr int TickMarked = 100452;
constexpr int ValuesOption = 101013;
constexpr int TypologyCaption = 102234;
constexpr int ChoiceCaption = 57724;
constexpr int TypologyOk = 102235;
constexpr int TypologyOption = 102237;
constexpr int HelpTip = 102059;
}  // namespace Text

constexpr int kHelpKind = 1;
constexpr int kTypologyHelp = 1049;
constexpr int kChoiceHelp = 1045;
const QColor kMarkedColour(128, 0, 0);
constexpr int kMarkedRole = Qt::UserRole + 1;

/// Draws a row as the dialog wants it: its own fill and text colours, the
/// check picture and a text shortened with "...".
class TickRowDelegate : public QStyledItemDelegate {
public:
    explicit TickRowDelegate(QListWidget* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QPalette& palette = option.palette;
        const bool selected = option.state & QStyle::State_Selected;
        const bool listFocused = m_list->hasFocus();
        QColor text = index.data(kMarkedRole).toBool() ? kMarkedColour : palette.color(QPalette::Text);
        if (selected && listFocused) {
            painter->fillRect(option.rect, palette.color(QPalette::Highlight));
            text = palette.color(QPalette::HighlightedText);
        } else if (selected) {
            painter->fillRect(option.rect, palette.color(QPalette::Button));
        } else {
            painter->fillRect(option.rect, palette.color(QPalette::Base));
        }
        static const QList<QPixmap> checks = TreeImages::CheckImages();
        const int checkWidth = TreeImages::kCheckSize + 6;
        const QRect checkArea(option.rect.left() + 4, option.rect.top(), checkWidth - 1, option.rect.height());
        if (checkArea.width() > 12 && checks.size() >= 2) {
            const QPixmap& picture = checks.at(index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? 1 : 0);
            const QPoint at(checkArea.left() + (checkArea.width() - picture.width()) / 2,
                            checkArea.top() + (checkArea.height() - picture.height()) / 2 - 1);
            painter->drawPixmap(at, picture);
        }
        const QRect label(option.rect.left() + 4 + checkWidth, option.rect.top(),
                          option.rect.width() - 4 - checkWidth, option.rect.height());
        const QString shown = FitTextWithEllipsis(option.fontMetrics, index.data(Qt::DisplayRole).toString(),
                                                  label.width() - 4, 0);
        painter->setPen(text);
        painter->setFont(option.font);
        painter->drawText(label.adjusted(4, 1, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, shown);
        if ((option.state & QStyle::State_HasFocus) && listFocused) {
            QStyleOptionFocusRect focus;
            focus.rect = label;
            focus.state = QStyle::State_KeyboardFocusChange;
            focus.backgroundColor = palette.color(QPalette::Highlight);
            QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_list);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // Rows are as wide as the list; long texts are shortened, never scrolled.
        return QSize(1, QStyledItemDelegate::sizeHint(option, index).height());
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        // A click on the check area toggles the tick, as the list's own
        // check boxes would.
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->position().x() < option.rect.left() + 4 + TreeImages::kCheckSize + 6) {
                const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
                model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
                return true;
            }
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
            return true;
        }
        return false;
    }

private:
    QListWidget* m_list;
};

QPushButton* Button(QWidget* parent, int id, int textId)
{
    auto* button = new QPushButton(TextKey(textId), parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CTypologyTableDlg::CTypologyTableDlg(QWidget* parent, bool help, bool extraOption, bool typology)
    : CResizableDlgBase(kTemplateId, parent), m_extraOption(extraOption), m_help(help), m_typology(typology)
{
    setObjectName(QStringLiteral("CTypologyTableDlg"));
    m_list = new QListWidget(this);
    SetControlId(m_list, Control::List);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setItemDelegate(new TickRowDelegate(m_list));
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_option = new QCheckBox(TextKey(Text::ValuesOption), this);
    SetControlId(m_option, Control::Option);
    m_ok = Button(this, Control::Ok, Text::Ok);
    m_ok->setDefault(true);
    QPushButton* cancel = Button(this, Control::Cancel, Text::Cancel);
    QPushButton* tickAll = Button(this, Control::TickAll, Text::TickAll);
    QPushButton* untickAll = Button(this, Control::UntickAll, Text::UntickAll);
    m_markedButton = Button(this, Control::TickMarked, Text::TickMarked);
    m_helpButton = MakeIconButton(this, Control::Help, QStyle::SP_DialogHelpButton, Text::HelpTip);

    auto* ticks = new QHBoxLayout;
    ticks->addWidget(tickAll);
    ticks->addWidget(untickAll);
    ticks->addWidget(m_markedButton);
    ticks->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_helpButton);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(ticks);
    layout->addWidget(m_option);
    layout->addLayout(buttons);

    connect(tickAll, &QPushButton::clicked, this, [this] { SetAllTicks(true); });
    connect(untickAll, &QPushButton::clicked, this, [this] { SetAllTicks(false); });
    connect(m_markedButton, &QPushButton::clicked, this, &CTypologyTableDlg::TickMarked);
    connect(m_ok, &QPushButton::clicked, this, &CTypologyTableDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CTypologyTableDlg::reject);
    connect(m_helpButton, &QPushButton::clicked, this,
            [this] { ShowHelpTopic(kHelpKind, m_typology ? kTypologyHelp : kChoiceHelp); });
    resize(400, 420);
}

bool CTypologyTableDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    if (m_help) {
        setWindowTitle(LoadString(m_typology ? Text::TypologyCaption : Text::ChoiceCaption));
        if (m_typology)
            m_ok->setText(LoadString(Text::TypologyOk));
    }
    m_helpButton->setVisible(m_help);
    m_list->clear();
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        auto* item = new QListWidgetItem(m_rows.at(i).text, m_list);
        item->setData(Qt::UserRole, int(i));
        item->setData(kMarkedRole, m_rows.at(i).marked);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(m_rows.at(i).ticked ? Qt::Checked : Qt::Unchecked);
    }
    m_markedButton->setVisible(m_showMarkedButton);
    if (m_typology) {
        m_option->setChecked(m_extraOption);
        m_option->setText(LoadString(Text::TypologyOption));
        m_option->setVisible(true);
    } else {
        m_option->setChecked(false);
        m_option->setVisible(m_extraOption);
    }
    return true;
}

void CTypologyTableDlg::accept()
{
    m_extraOption = !m_option->isHidden() && m_option->isChecked();
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem* item = m_list->item(i);
        const int row = item->data(Qt::UserRole).toInt();
        if (row >= 0 && row < m_rows.size())
            m_rows[row].ticked = item->checkState() == Qt::Checked;
    }
    CResizableDlgBase::accept();
}

void CTypologyTableDlg::SetAllTicks(bool ticked)
{
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void CTypologyTableDlg::TickMarked()
{
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem* item = m_list->item(i);
        item->setCheckState(item->data(kMarkedRole).toBool() ? Qt::Checked : Qt::Unchecked);
    }
}
