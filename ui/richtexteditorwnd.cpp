#include "ui/richtexteditorwnd.h"

#include "foundation/stringstore.h"
#include "ui/richeditwnd.h"

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextList>
#include <QToolButton>

namespace {

constexpr int kTextLimit = 10'000'000;
constexpr int kIndentTwips = 500;
constexpr int kFormatInset = 2;

struct Spacing {
    int command;
    int percent;
    const char* text;
};
constexpr Spacing kSpacings[] = {
    {kEditorSpacing10, 100, "1.0"}, {kEditorSpacing15, 150, "1.5"}, {kEditorSpacing20, 200, "2.0"},
    {kEditorSpacing25, 250, "2.5"}, {kEditorSpacing30, 300, "3.0"},
};

// The buttons' pictures, drawn so the bar needs no image files.
QIcon commandIcon(int id, const QColor& colour = Qt::black)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(12);
    auto letter = [&](const QString& text) {
        painter.setFont(font);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
    };
    auto lines = [&](int left1, int right1, int left2, int right2) {
        for (int y = 3; y <= 13; y += 5)
            painter.drawLine(left1, y, right1, y);
        for (int y = 5; y <= 11; y += 5)
            painter.drawLine(left2, y, right2, y);
    };
    switch (id) {
    case kEditorBold: font.setBold(true); letter(QStringLiteral("B")); break;
    case kEditorItalic: font.setItalic(true); letter(QStringLiteral("I")); break;
    case kEditorUnderline: font.setUnderline(true); letter(QStringLiteral("U")); break;
    case kEditorColour:
        letter(QStringLiteral("A"));
        painter.fillRect(QRect(2, 13, 12, 3), colour);
        break;
    case kEditorTimeStamp:
        painter.drawEllipse(QRect(2, 2, 12, 12));
        painter.drawLine(8, 8, 8, 4);
        painter.drawLine(8, 8, 11, 8);
        break;
    case kEditorAlignLeft: lines(2, 14, 2, 10); break;
    case kEditorAlignCenter: lines(2, 14, 4, 12); break;
    case kEditorAlignRight: lines(2, 14, 6, 14); break;
    case kEditorBullets:
    case kEditorNumbering:
        for (int y = 4; y <= 12; y += 4) {
            if (id == kEditorBullets)
                painter.drawEllipse(QPointF(3, y), 1.2, 1.2);
            else
                painter.drawLine(2, y - 1, 2, y + 1);
            painter.drawLine(6, y, 14, y);
        }
        break;
    case kEditorIndentLess:
    case kEditorIndentMore:
        lines(6, 14, 6, 14);
        painter.drawLine(id == kEditorIndentMore ? 1 : 4, 8, id == kEditorIndentMore ? 4 : 1, 8);
        break;
    case kEditorLineSpacing:
        lines(6, 14, 6, 14);
        painter.drawLine(2, 2, 2, 14);
        break;
    case kEditorCut:
        painter.drawEllipse(QRect(2, 10, 4, 4));
        painter.drawEllipse(QRect(10, 10, 4, 4));
        painter.drawLine(5, 10, 11, 2);
        painter.drawLine(11, 10, 5, 2);
        break;
    case kEditorCopy:
        painter.drawRect(QRect(2, 2, 8, 9));
        painter.drawRect(QRect(6, 5, 8, 9));
        break;
    case kEditorPaste:
        painter.drawRect(QRect(3, 3, 10, 11));
        painter.fillRect(QRect(6, 1, 4, 3), Qt::black);
        break;
    default: break;
    }
    return QIcon(pixmap);
}

}  // namespace

EditorToolBar::EditorToolBar(QWidget* parent) : QToolBar(parent)
{
    setIconSize(QSize(16, 16));
    m_size = new QSpinBox(this);
    m_size->setRange(1, 1638);
    m_size->setValue(10);
    m_size->setProperty("commandId", int(kEditorFontSize));
    m_size->setToolTip(LoadString(kEditorFontSize));
    addWidget(m_size)->setData(int(kEditorFontSize));
    connect(m_size, &QSpinBox::editingFinished, this, [this] { emit Command(kEditorFontSize); });
    m_face = new QLineEdit(this);
    m_face->setProperty("commandId", int(kEditorFontFace));
    m_face->setToolTip(LoadString(kEditorFontFace));
    m_face->setMaximumWidth(120);
    addWidget(m_face)->setData(int(kEditorFontFace));
    connect(m_face, &QLineEdit::editingFinished, this, [this] { emit Command(kEditorFontFace); });

    for (int id : {kEditorBold, kEditorItalic, kEditorUnderline})
        AddCommand(id);
    m_colourButton = new QToolButton(this);
    m_colourButton->setIcon(commandIcon(kEditorColour, m_colour));
    m_colourButton->setToolTip(LoadString(kEditorColour));
    m_colourButton->setPopupMode(QToolButton::InstantPopup);
    auto* colours = new QMenu(m_colourButton);
    for (Qt::GlobalColor colour : {Qt::black, Qt::darkGray, Qt::red, Qt::darkRed, Qt::green, Qt::darkGreen,
                                   Qt::blue, Qt::darkBlue, Qt::magenta, Qt::darkCyan, Qt::darkYellow}) {
        QPixmap swatch(16, 16);
        swatch.fill(colour);
        QAction* pick = colours->addAction(QIcon(swatch), QString());
        connect(pick, &QAction::triggered, this, [this, colour] {
            SetCurrentColour(colour);
            emit Command(kEditorColour);
        });
    }
    m_colourButton->setMenu(colours);
    addWidget(m_colourButton)->setData(int(kEditorColour));
    addSeparator();
    AddCommand(kEditorTimeStamp);
    addSeparator();
    for (int id : {kEditorAlignLeft, kEditorAlignCenter, kEditorAlignRight, kEditorBullets, kEditorNumbering,
                   kEditorIndentLess, kEditorIndentMore})
        AddCommand(id);
    QAction* spacing = AddCommand(kEditorLineSpacing);
    m_spacingMenu = new QMenu(this);
    for (const Spacing& entry : kSpacings) {
        QAction* action = m_spacingMenu->addAction(QString::fromLatin1(entry.text));
        action->setData(entry.command);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, id = entry.command] { emit Command(id); });
    }
    spacing->setMenu(m_spacingMenu);
    addSeparator();
    for (int id : {kEditorCut, kEditorCopy, kEditorPaste})
        AddCommand(id);
}

QAction* EditorToolBar::AddCommand(int id)
{
    QAction* action = addAction(commandIcon(id), LoadString(id));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { emit Command(id); });
    return action;
}

QAction* EditorToolBar::Action(int command) const
{
    for (QAction* action : actions())
        if (action->data().toInt() == command)
            return action;
    if (m_spacingMenu)
        for (QAction* action : m_spacingMenu->actions())
            if (action->data().toInt() == command)
                return action;
    return nullptr;
}

void EditorToolBar::SetCurrentColour(const QColor& colour)
{
    m_colour = colour;
    m_colourButton->setIcon(commandIcon(kEditorColour, colour));
    update();
}

RichTextEditorWnd::RichTextEditorWnd(QWidget* parent) : QWidget(parent)
{
    m_toolBar = new EditorToolBar(this);
    m_editor = new CRichEditWnd(this);
    m_editor->Create(kStyleChild | kStyleVisible | kStyleVScroll | kStyleMultiline | kStyleAutoVScroll
                         | kStyleNoHideSel | kStyleWantReturn,
                     QRect(0, 0, 100, 100), this, kEditorId);
    m_editor->LimitText(kTextLimit);
    m_editor->SetAutoUrlDetect(1);
    m_editor->ContextMenuEnabled = true;
    m_editor->document()->setDocumentMargin(kFormatInset);
    m_editor->setReadOnly(true);
    connect(m_toolBar, &EditorToolBar::Command, this, &RichTextEditorWnd::OnCommand);
    connect(m_editor, &QTextEdit::textChanged, this, &RichTextEditorWnd::TextChanged);
    connect(m_editor, &QTextEdit::selectionChanged, this, &RichTextEditorWnd::UpdateCommandStates);
    connect(m_editor, &QTextEdit::cursorPositionChanged, this, &RichTextEditorWnd::UpdateCommandStates);
    UpdateCommandStates();
}

void RichTextEditorWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_toolBar->setGeometry(0, 0, width(), kToolBarHeight);
    m_editor->setGeometry(0, kToolBarHeight, width(), std::max(0, height() - kToolBarHeight));
}

void RichTextEditorWnd::GetRtf(QByteArray& rtf) const
{
    rtf.clear();
    if (m_editor->GetTextLength() > 0)
        m_editor->StreamOutRtf(&rtf, false, true);
}

bool RichTextEditorWnd::GetSelectionCharFormat(RichEditCharFormat& format) const
{
    const QTextCharFormat chars = m_editor->textCursor().charFormat();
    format = RichEditCharFormat();
    format.mask = kCharMaskBold | kCharMaskItalic | kCharMaskUnderline | kCharMaskSize | kCharMaskFace;
    if (chars.fontWeight() >= QFont::Bold)
        format.effects |= kCharBold;
    if (chars.fontItalic())
        format.effects |= kCharItalic;
    if (chars.fontUnderline())
        format.effects |= kCharUnderline;
    format.height = int(chars.fontPointSize() * 20);
    const QStringList families = chars.fontFamilies().toStringList();
    format.faceName = families.isEmpty() ? QString() : families.front();
    return true;
}

void RichTextEditorWnd::UpdateCommandStates()
{
    // As set up the text is read-only: only copying and the colour act.
    const bool hasSelection = m_editor->textCursor().hasSelection();
    for (QAction* action : m_toolBar->actions()) {
        const int id = action->data().toInt();
        const bool cutOrCopy = id == kEditorCopy || id == kEditorCut;
        action->setEnabled(m_editable ? (!cutOrCopy || hasSelection) && (id != kEditorPaste || m_editor->CanPaste())
                                      : id == kEditorColour || (id == kEditorCopy && hasSelection));
    }
    m_toolBar->SizeField()->setEnabled(m_editable);
    m_toolBar->FaceField()->setEnabled(m_editable);
    if (m_editable) {
        RichEditCharFormat format;
        GetSelectionCharFormat(format);
        const QSignalBlocker blockSize(m_toolBar->SizeField());
        const QSignalBlocker blockFace(m_toolBar->FaceField());
        if (format.height > 0)
            m_toolBar->SizeField()->setValue(format.height / 20);
        if (!m_toolBar->FaceField()->hasFocus())
            m_toolBar->FaceField()->setText(format.faceName);
    }
    m_toolBar->ColourButton()->setEnabled(true);
    const int percent = LineSpacingPercent();
    for (const Spacing& entry : kSpacings)
        if (QAction* action = m_toolBar->Action(entry.command))
            action->setChecked(entry.percent == percent);
}

void RichTextEditorWnd::SetEditable(bool editable)
{
    m_editable = editable;
    m_editor->setReadOnly(!editable);
    UpdateCommandStates();
}

void RichTextEditorWnd::OnCommand(int id)
{
    switch (id) {
    case kEditorFontSize: {
        RichEditCharFormat format;
        format.mask = kCharMaskSize;
        format.height = m_toolBar->SizeField()->value() * 20;
        m_editor->SetSelCharFormat2(format);
        m_editor->setFocus();
        break;
    }
    case kEditorFontFace: {
        RichEditCharFormat format;
        format.mask = kCharMaskFace;
        format.faceName = m_toolBar->FaceField()->text();
        m_editor->SetSelCharFormat2(format);
        m_editor->setFocus();
        break;
    }
    case kEditorBold: ToggleEffect(kCharBold); break;
    case kEditorItalic: ToggleEffect(kCharItalic); break;
    case kEditorUnderline: ToggleEffect(kCharUnderline); break;
    case kEditorColour: OnColourChanged(m_toolBar->CurrentColour()); break;
    case kEditorTimeStamp: InsertTimeStamp(); break;
    case kEditorAlignLeft: SetAlignment(Qt::AlignLeft); break;
    case kEditorAlignCenter: SetAlignment(Qt::AlignHCenter); break;
    case kEditorAlignRight: SetAlignment(Qt::AlignRight); break;
    case kEditorBullets: ToggleList(QTextListFormat::ListDisc); break;
    case kEditorNumbering: ToggleList(QTextListFormat::ListDecimal); break;
    case kEditorIndentLess: ChangeIndent(-kIndentTwips); break;
    case kEditorIndentMore: ChangeIndent(kIndentTwips); break;
    case kEditorCut: m_editor->cut(); break;
    case kEditorCopy: m_editor->copy(); break;
    case kEditorPaste: m_editor->paste(); break;
    case kEditorUndo: m_editor->undo(); break;
    case kEditorRefresh:
        UpdateCommandStates();
        emit TextChanged();
        break;
    default:
        for (const Spacing& entry : kSpacings)
            if (entry.command == id)
                SetLineSpacing(entry.percent);
        break;
    }
}

void RichTextEditorWnd::OnColourChanged(const QColor& colour)
{
    m_toolBar->SetCurrentColour(colour);
    RichEditCharFormat format;
    format.mask = kCharMaskColor;
    format.textColor = RichEditColor(colour.red()) | RichEditColor(colour.green()) << 8
                       | RichEditColor(colour.blue()) << 16;
    m_editor->SetSelCharFormat2(format);
}

void RichTextEditorWnd::ToggleEffect(quint32 effect)
{
    RichEditCharFormat current;
    GetSelectionCharFormat(current);
    RichEditCharFormat format;
    format.mask = effect == kCharBold ? kCharMaskBold : effect == kCharItalic ? kCharMaskItalic : kCharMaskUnderline;
    format.effects = current.effects & effect ? 0 : effect;
    m_editor->SetSelCharFormat2(format);
}

void RichTextEditorWnd::SetAlignment(Qt::Alignment alignment)
{
    QTextBlockFormat format;
    format.setAlignment(alignment);
    QTextCursor cursor = m_editor->textCursor();
    cursor.mergeBlockFormat(format);
    UpdateCommandStates();
}

void RichTextEditorWnd::ToggleList(int style)
{
    // The command switches its own kind of list on or off; on a paragraph
    // of the other kind it switches the kind.
    QTextCursor cursor = m_editor->textCursor();
    const auto wanted = static_cast<QTextListFormat::Style>(style);
    if (QTextList* list = cursor.currentList()) {
        if (list->format().style() == wanted) {
            const QList<QTextBlock> blocks = [&] {
                QList<QTextBlock> inList;
                for (int i = 0; i < list->count(); ++i)
                    inList << list->item(i);
                return inList;
            }();
            for (const QTextBlock& block : blocks) {
                list->remove(block);
                QTextCursor at(block);
                QTextBlockFormat plain = block.blockFormat();
                plain.setIndent(0);
                at.setBlockFormat(plain);
            }
        } else {
            QTextListFormat format = list->format();
            format.setStyle(wanted);
            list->setFormat(format);
        }
    } else {
        cursor.createList(wanted);
    }
    m_editor->setFocus();
}

void RichTextEditorWnd::ChangeIndent(int twips)
{
    QTextCursor cursor = m_editor->textCursor();
    const qreal pixels = twips / 1440.0 * m_editor->logicalDpiX();
    // A margin below 0 would push the text out of the window.
    QTextBlockFormat format;
    format.setLeftMargin(std::max<qreal>(0, cursor.blockFormat().leftMargin() + pixels));
    cursor.mergeBlockFormat(format);
    m_editor->setFocus();
}

void RichTextEditorWnd::SetLineSpacing(int percent)
{
    QTextBlockFormat format;
    format.setLineHeight(percent, QTextBlockFormat::ProportionalHeight);
    QTextCursor cursor = m_editor->textCursor();
    cursor.mergeBlockFormat(format);
    UpdateCommandStates();
}

int RichTextEditorWnd::LineSpacingPercent() const
{
    const QTextBlockFormat format = m_editor->textCursor().blockFormat();
    if (format.lineHeightType() != QTextBlockFormat::ProportionalHeight)
        return 100;
    return int(format.lineHeight());
}

void RichTextEditorWnd::InsertTimeStamp()
{
    const QPointer<QWidget> previous = QApplication::focusWidget();
    m_editor->setFocus();
    const QString stamp = QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    m_editor->textCursor().insertText(stamp + QLatin1Char('\n'));
    if (previous)
        previous->setFocus();
}
