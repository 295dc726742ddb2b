#include "retrieval/retrievalfunctiondlg.h"

#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "retrieval/retrievalengine.h"
#include "retrieval/retrievalids.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Control ids of the dialog's template.
namespace Control {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int ChooseCode = 3;
constexpr int RemoveCodes = 4;
constexpr int TakeActivated = 5;
constexpr int Help = 9;
constexpr int Functions = 1054;
constexpr int VariantP = 1055;
constexpr int VariantR = 1056;
constexpr int VariantPThenR = 1059;
constexpr int Subcodes = 1071;
constexpr int NumberLabel = 1103;
constexpr int Explanation = 1112;
constexpr int CodeName = 1113;
constexpr int SlotC = 1114;
constexpr int Number = 1115;
constexpr int Count = 1116;
constexpr int OutputGroup = 1119;
constexpr int CodeList = 1150;
constexpr int SlotB = 1151;
constexpr int SlotA = 1152;
constexpr int FirstPicture = 1153;
constexpr int FunctionGroup = 1224;
constexpr int ExplanationGroup = 1228;
}  // namespace Control

constexpr int kHelpKind = 1;
constexpr int kHelpTopic = 1033;
constexpr int kMaximumNumber = 10000;
// The combo's order of the functions.
constexpr int kFunctionOrder[] = {0, 1, 4, 2, 3, 5, 6, 7, 8, 9};

// A small picture of what a function retrieves: the A codes' segments as
// blue bars, code B's as a red bar, the retrieved part in green.
QPixmap FunctionPicture(int function)
{
    QPixmap picture(120, 44);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setPen(QColor(150, 150, 150));
    p.drawRect(0, 0, 119, 43);
    if (function == retrieval::Plain)
        return picture;
    const QColor a(90, 130, 220);
    const QColor b(210, 80, 80);
    const QColor found(60, 170, 80);
    const auto bar = [&p](int x, int y, int w, const QColor& colour) { p.fillRect(x, y, w, 7, colour); };
    switch (function) {
    case retrieval::Intersection:
    case retrieval::AtLeast:
        bar(10, 8, 60, a), bar(45, 18, 60, a), bar(45, 30, 25, found);
        break;
    case retrieval::IntersectionOuter: bar(10, 8, 60, a), bar(45, 18, 60, a), bar(10, 30, 95, found); break;
    case retrieval::NoOverlap: bar(10, 8, 30, a), bar(60, 18, 50, a), bar(10, 30, 30, found), bar(60, 30, 50, found); break;
    case retrieval::OnlyCode: bar(10, 8, 40, b), bar(70, 18, 40, a), bar(10, 30, 40, found); break;
    case retrieval::Enclosing: bar(10, 8, 100, b), bar(40, 18, 30, a), bar(40, 30, 30, found); break;
    case retrieval::NotOverlapping: bar(10, 8, 40, b), bar(30, 18, 30, a), bar(70, 18, 40, a), bar(70, 30, 40, found); break;
    case retrieval::FollowedBy: bar(10, 18, 40, a), bar(70, 8, 40, b), bar(10, 30, 40, found); break;
    case retrieval::Near: bar(70, 18, 40, a), bar(10, 8, 40, b), bar(70, 30, 40, found); break;
    default: break;
    }
    return picture;
}

}  // namespace

CRetrievalFunctionDlg::CRetrievalFunctionDlg(IRetrievalFunctionHost* host, OptionsRecord* settings, QWidget* parent)
    : CResizableDlgBase(kTemplateId, parent), m_host(host), m_settings(settings)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_strSection = QStringLiteral("dlgTextRetrieval");
    setWindowTitle(TextKey(RetrievalText::DialogCaption, "Retrieval function"));
    if (m_settings)
        m_working = *m_settings;
    m_typing.setSingleShot(true);
    m_typing.setInterval(kTypingPauseMs);
    connect(&m_typing, &QTimer::timeout, this, &CRetrievalFunctionDlg::OnInputChanged);

    // The function, its picture.
    auto* functionGroup = new QGroupBox(TextKey(RetrievalText::FunctionGroup, "Function"), this);
    SetControlId(functionGroup, Control::FunctionGroup);
    m_functions = new QComboBox(functionGroup);
    SetControlId(m_functions, Control::Functions);
    auto* pictures = new QWidget(functionGroup);
    auto* pictureStack = new QGridLayout(pictures);
    pictureStack->setContentsMargins(0, 0, 0, 0);
    for (int function = 0; function < 10; ++function) {
        auto* picture = new QLabel(pictures);
        SetControlId(picture, Control::FirstPicture + function);
        picture->setPixmap(FunctionPicture(function));
        picture->setVisible(false);
        pictureStack->addWidget(picture, 0, 0);
        m_pictures << picture;
    }
    auto* functionRow = new QHBoxLayout(functionGroup);
    functionRow->addWidget(m_functions, 1);
    functionRow->addWidget(pictures);

    // A: the listed codes.
    m_slotA = new QGroupBox(QStringLiteral("A:"), this);
    SetControlId(m_slotA, Control::SlotA);
    m_codes = new QListWidget(m_slotA);
    SetControlId(m_codes, Control::CodeList);
    m_codes->setSortingEnabled(true);
    m_codes->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_codes->setMinimumHeight(135);
    m_takeActivated = new QPushButton(TextKey(RetrievalText::TakeActivated, "Activated codes"), m_slotA);
    SetControlId(m_takeActivated, Control::TakeActivated);
    m_remove = new QPushButton(TextKey(RetrievalText::RemoveCodes, "Remove"), m_slotA);
    SetControlId(m_remove, Control::RemoveCodes);
    auto* slotALayout = new QGridLayout(m_slotA);
    slotALayout->addWidget(m_codes, 0, 0, 1, 3);
    slotALayout->addWidget(m_takeActivated, 1, 0);
    slotALayout->addWidget(m_remove, 1, 1);
    slotALayout->setColumnStretch(2, 1);

    // B: the function's own code.
    m_slotB = new QGroupBox(QStringLiteral("B:"), this);
    SetControlId(m_slotB, Control::SlotB);
    m_chooseCode = new QPushButton(QStringLiteral("..."), m_slotB);
    SetControlId(m_chooseCode, Control::ChooseCode);
    m_chooseCode->setFixedWidth(32);
    m_codeName = new QLabel(QStringLiteral("?"), m_slotB);
    SetControlId(m_codeName, Control::CodeName);
    m_codeName->setFrameShape(QFrame::StyledPanel);
    auto* slotBLayout = new QHBoxLayout(m_slotB);
    slotBLayout->addWidget(m_chooseCode);
    slotBLayout->addWidget(m_codeName, 1);

    // C: the number.
    m_slotC = new QGroupBox(QStringLiteral("C:"), this);
    SetControlId(m_slotC, Control::SlotC);
    m_numberLabel = new QLabel(m_slotC);
    SetControlId(m_numberLabel, Control::NumberLabel);
    m_number = new QSpinBox(m_slotC);
    SetControlId(m_number, Control::Number);
    m_number->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    m_number->setRange(0, kMaximumNumber);
    auto* slotCLayout = new QHBoxLayout(m_slotC);
    slotCLayout->addWidget(m_numberLabel, 1);
    slotCLayout->addWidget(m_number);

    // The output variant.
    m_outputGroup = new QGroupBox(TextKey(RetrievalText::OutputGroup, "Output"), this);
    SetControlId(m_outputGroup, Control::OutputGroup);
    m_variants = new QButtonGroup(this);
    auto* outputLayout = new QVBoxLayout(m_outputGroup);
    const std::pair<int, int> variants[] = {{Control::VariantP, RetrievalText::VariantP},
                                            {Control::VariantR, RetrievalText::VariantR},
                                            {Control::VariantPThenR, RetrievalText::VariantPThenR}};
    for (int variant = 0; variant < 3; ++variant) {
        auto* radio = new QRadioButton(TextKey(variants[variant].second, "Variant"), m_outputGroup);
        SetControlId(radio, variants[variant].first);
        m_variants->addButton(radio, variant);
        m_variantButtons << radio;
        outputLayout->addWidget(radio);
    }

    m_subcodes = new QCheckBox(TextKey(RetrievalText::IncludeSubcodes, "Include subcodes"), this);
    SetControlId(m_subcodes, Control::Subcodes);

    auto* explanationGroup = new QGroupBox(TextKey(RetrievalText::ExplanationGroup, "Explanation"), this);
    SetControlId(explanationGroup, Control::ExplanationGroup);
    m_explanation = new QLabel(explanationGroup);
    SetControlId(m_explanation, Control::Explanation);
    m_explanation->setWordWrap(true);
    m_explanation->setMinimumHeight(36);
    auto* explanationLayout = new QVBoxLayout(explanationGroup);
    explanationLayout->addWidget(m_explanation);

    m_count = new QLabel(this);
    SetControlId(m_count, Control::Count);
    m_count->setFrameShape(QFrame::StyledPanel);
    QFont bold = m_count->font();
    bold.setBold(true);
    m_count->setFont(bold);

    auto* help = new QToolButton(this);
    SetControlId(help, Control::Help);
    help->setText(QStringLiteral("?"));
    help->setToolTip(LoadString(RetrievalText::HelpTooltip));
    auto* ok = new QPushButton(TextKey(RetrievalText::Ok, "OK"), this);
    SetControlId(ok, Control::Ok);
    ok->setDefault(true);
    auto* cancel = new QPushButton(TextKey(RetrievalText::Cancel, "Cancel"), this);
    SetControlId(cancel, Control::Cancel);

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_slotC, 1);
    middle->addWidget(m_outputGroup, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addWidget(m_count, 1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(functionGroup);
    layout->addWidget(m_slotA, 1);
    layout->addWidget(m_slotB);
    layout->addLayout(middle);
    layout->addWidget(m_subcodes);
    layout->addWidget(explanationGroup);
    layout->addLayout(buttons);

    setMinimumSize(440, 600);

    connect(m_functions, &QComboBox::currentIndexChanged, this, &CRetrievalFunctionDlg::OnFunctionChanged);
    connect(m_chooseCode, &QPushButton::clicked, this, &CRetrievalFunctionDlg::OnChooseCode);
    connect(m_takeActivated, &QPushButton::clicked, this, &CRetrievalFunctionDlg::OnTakeActivatedCodes);
    connect(m_remove, &QPushButton::clicked, this, &CRetrievalFunctionDlg::OnRemoveCodes);
    connect(m_variants, &QButtonGroup::idClicked, this, &CRetrievalFunctionDlg::OnInputChanged);
    connect(m_subcodes, &QAbstractButton::clicked, this, &CRetrievalFunctionDlg::OnSubcodesClicked);
    connect(m_number, &QSpinBox::valueChanged, this, &CRetrievalFunctionDlg::OnNumberTyped);
    connect(m_number, &QSpinBox::editingFinished, this, [this] {
        if (m_typing.isActive()) {
            m_typing.stop();
            OnInputChanged();
        }
    });
    connect(m_codes, &QListWidget::itemSelectionChanged, this,
            [this] { m_remove->setEnabled(!m_codes->selectedItems().isEmpty()); });
    connect(help, &QToolButton::clicked, this, [] { ShowHelpTopic(kHelpKind, kHelpTopic); });
    connect(ok, &QPushButton::clicked, this, &CRetrievalFunctionDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CRetrievalFunctionDlg::reject);
}

CRetrievalFunctionDlg::~CRetrievalFunctionDlg()
{
    // The controls outlive the members (the timer): a control that loses
    // the focus while it is destroyed must not call back.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

bool CRetrievalFunctionDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_subcodes->setChecked(m_working.l4);
    {
        const QSignalBlocker blocker(m_functions);
        for (const int function : kFunctionOrder) {
            m_functions->addItem(m_working.Describe(false, function), function);
            if (function == m_working.retrievalFunction)
                m_functions->setCurrentIndex(m_functions->count() - 1);
        }
    }
    ShowFunction();
    FillCodeList();
    m_remove->setEnabled(!m_codes->selectedItems().isEmpty());
    return true;
}

QString CRetrievalFunctionDlg::GetCodeName(qint32 code)
{
    return m_host && code != 0 ? m_host->CodeName(code) : QString();
}

void CRetrievalFunctionDlg::SetSlotCaptions(const QString& a, const QString& b, const QString& c)
{
    m_slotA->setTitle(QStringLiteral("A: ") + a);
    m_slotB->setTitle(QStringLiteral("B: ") + b);
    m_slotC->setTitle(QStringLiteral("C: ") + c);
}

void CRetrievalFunctionDlg::ShowFunction()
{
    const int function = m_working.retrievalFunction;
    for (int i = 0; i < m_pictures.size(); ++i)
        m_pictures[i]->setVisible(i == function);
    m_explanation->setText(m_working.GetFunctionName(function));
    {
        const QSignalBlocker blocker(m_variants);
        m_variants->setExclusive(false);
        for (QAbstractButton* radio : m_variantButtons)
            radio->setChecked(false);
        m_variants->setExclusive(true);
    }
    const bool list = function >= retrieval::Intersection;
    const bool code = function >= retrieval::OnlyCode;
    const bool variants = function >= retrieval::Enclosing && function != retrieval::NotOverlapping;
    const bool number = function == retrieval::AtLeast || function >= retrieval::FollowedBy;
    m_codes->setVisible(list);
    m_takeActivated->setVisible(list);
    m_remove->setVisible(list);
    m_chooseCode->setVisible(code);
    m_codeName->setVisible(code);
    m_outputGroup->setVisible(variants);
    for (QAbstractButton* radio : m_variantButtons)
        radio->setVisible(variants);
    m_number->setVisible(number);
    m_numberLabel->setVisible(number);

    const QString linked = list ? LoadString(RetrievalText::LinkedCodes) : QString();
    const QString codeCaption = code ? LoadString(RetrievalText::Code) : QString();
    QString numberCaption;
    const QSignalBlocker blocker(m_number);
    if (function == retrieval::AtLeast) {
        numberCaption = LoadString(RetrievalText::MinimumCodes);
        m_numberLabel->setText(LoadString(RetrievalText::LinkedCodes));
        m_number->setRange(2, kMaximumNumber);
        m_number->setValue(m_working.minCount);
    } else if (number) {
        numberCaption = LoadString(RetrievalText::Distance);
        m_numberLabel->setText(LoadString(RetrievalText::DistanceLabel));
        m_number->setRange(0, kMaximumNumber);
        m_number->setValue(function == retrieval::FollowedBy ? m_working.followingDistance : m_working.nearDistance);
    }
    SetSlotCaptions(linked, codeCaption, numberCaption);

    qint32 chosen = 0;
    qint32 variant = -1;
    switch (function) {
    case retrieval::OnlyCode: chosen = m_working.codeA; break;
    case retrieval::Enclosing: chosen = m_working.enclosingCode, variant = m_working.enclosingVariant; break;
    case retrieval::NotOverlapping: chosen = m_working.excludedCode; break;
    case retrieval::FollowedBy: chosen = m_working.followingCode, variant = m_working.followingVariant; break;
    case retrieval::Near: chosen = m_working.nearCode, variant = m_working.nearVariant; break;
    default: break;
    }
    const QString name = GetCodeName(chosen);
    m_chosenCode = name.isEmpty() ? 0 : chosen;
    m_codeName->setText(name.isEmpty() ? QStringLiteral("?") : name);
    if (variant >= 0 && variant < m_variantButtons.size())
        m_variantButtons[variant]->setChecked(true);
    UpdateCount();
}

void CRetrievalFunctionDlg::StoreSettings()
{
    m_number->interpretText();
    const int variant = std::max(0, m_variants->checkedId() < 0 ? 2 : m_variants->checkedId());
    switch (m_working.retrievalFunction) {
    case retrieval::AtLeast: m_working.minCount = std::max(2, m_number->value()); break;
    case retrieval::OnlyCode: m_working.codeA = m_chosenCode; break;
    case retrieval::Enclosing:
        m_working.enclosingCode = m_chosenCode;
        m_working.enclosingVariant = variant;
        break;
    case retrieval::NotOverlapping: m_working.excludedCode = m_chosenCode; break;
    case retrieval::FollowedBy:
        m_working.followingDistance = std::max(0, m_number->value());
        m_working.followingCode = m_chosenCode;
        m_working.followingVariant = variant;
        break;
    case retrieval::Near:
        m_working.nearDistance = std::max(0, m_number->value());
        m_working.nearCode = m_chosenCode;
        m_working.nearVariant = variant;
        break;
    default: break;
    }
}

void CRetrievalFunctionDlg::UpdateCount()
{
    // A counting run changes nothing, so the same settings give the same
    // count: count only what was not counted last.
    QString counted = m_working.Format(true) + QLatin1Char('#') + m_working.Format(false);
    if (counted != m_countedSettings || m_countRuns == 0) {
        m_countedSettings = counted;
        ++m_countRuns;
        m_shownCount = m_host ? m_host->CountRetrieval(m_working) : 0;
    }
    m_count->setText(QLatin1Char(' ') + LoadString(RetrievalText::SegmentCount).arg(m_shownCount));
    emit Counted(m_shownCount);
}

void CRetrievalFunctionDlg::FillCodeList()
{
    m_codes->clear();
    for (const qint32 code : m_working.codeIds) {
        const QString name = GetCodeName(code);
        if (name.isEmpty())
            continue;
        auto* item = new QListWidgetItem(name, m_codes);
        item->setData(Qt::UserRole, code);
    }
}

void CRetrievalFunctionDlg::OnFunctionChanged()
{
    m_typing.stop();
    m_working.retrievalFunction = m_functions->currentData().toInt();
    m_dirty = true;
    ShowFunction();
}

void CRetrievalFunctionDlg::OnChooseCode()
{
    const QList<QPair<qint32, QString>> codes = m_host ? m_host->QuickCodes() : QList<QPair<qint32, QString>>();
    if (codes.isEmpty()) {
        ShowMessage(LoadString(RetrievalText::NoQuickCodes), MessageKind::Warning);
        return;
    }
    QMenu menu(this);
    for (const auto& [id, name] : codes) {
        QAction* action = menu.addAction(name);
        action->setData(id);
        action->setToolTip(name);
    }
    if (QAction* chosen = menu.exec(QCursor::pos()))
        ChooseCode(chosen->data().toInt());
}

void CRetrievalFunctionDlg::ChooseCode(qint32 code)
{
    const QString name = GetCodeName(code);
    m_chosenCode = name.isEmpty() ? 0 : code;
    m_codeName->setText(name.isEmpty() ? QStringLiteral("?") : name);
    m_dirty = true;
    StoreSettings();
    UpdateCount();
}

void CRetrievalFunctionDlg::OnTakeActivatedCodes()
{
    const QList<qint32> codes = m_host ? m_host->ActivatedCodes() : QList<qint32>();
    m_working.codeIds.assign(codes.begin(), codes.end());
    FillCodeList();
    m_dirty = true;
    StoreSettings();
    UpdateCount();
}

void CRetrievalFunctionDlg::OnRemoveCodes()
{
    for (QListWidgetItem* item : m_codes->selectedItems()) {
        const qint32 code = item->data(Qt::UserRole).toInt();
        const auto found = std::find(m_working.codeIds.begin(), m_working.codeIds.end(), code);
        if (found != m_working.codeIds.end())
            m_working.codeIds.erase(found);
        delete item;
    }
    m_dirty = true;
    StoreSettings();
    UpdateCount();
}

void CRetrievalFunctionDlg::OnSubcodesClicked()
{
    m_working.l4 = !m_working.l4;
    m_subcodes->setChecked(m_working.l4);
    m_dirty = true;
    StoreSettings();
    UpdateCount();
}

void CRetrievalFunctionDlg::OnNumberTyped()
{
    // Counted once the typing pauses or the field is left.
    m_dirty = true;
    m_typing.start();
}

void CRetrievalFunctionDlg::OnInputChanged()
{
    m_typing.stop();
    m_dirty = true;
    StoreSettings();
    UpdateCount();
}

void CRetrievalFunctionDlg::accept()
{
    if (m_typing.isActive())
        OnInputChanged();
    StoreSettings();
    if (m_dirty && m_settings) {
        m_settings->Copy(m_working);
        if (m_host) {
            // After the dialog is gone, as a posted message would arrive.
            IRetrievalFunctionHost* host = m_host;
            // The parent (the frame) owns the host; the call goes with it.
            QObject* context = parentWidget() ? static_cast<QObject*>(parentWidget()) : QCoreApplication::instance();
            QMetaObject::invokeMethod(context, [host] { host->RetrievalSettingsApplied(); }, Qt::QueuedConnection);
        }
    }
    m_dirty = false;
    CResizableDlgBase::accept();
    close();
}

void CRetrievalFunctionDlg::reject()
{
    m_typing.stop();
    m_dirty = false;
    CResizableDlgBase::reject();
    close();
}
