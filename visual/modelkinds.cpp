#include "visual/modelkinds.h"

#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/profile/privateprofile.h"
#include "store/storedmodel.h"
#include "store/storeids.h"
#include "visual/modelbuilders.h"
#include "visual/modelercanvas.h"
#include "visual/modelerdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;
constexpr int kHelpId = 9;
constexpr int kHelpKind = 2;
constexpr int kMemosGroupId = 1225;
constexpr int kCodesGroupId = 1226;
constexpr int kSegmentsGroupId = 1227;
constexpr float kTitleFontSize = 30;
constexpr float kPlaceholderFontSize = 20;
constexpr float kPlaceholderWrap = 30;
const QString kSection = QStringLiteral("Modeler");

ModelKindSettings::DialogRunner& Runner()
{
    static ModelKindSettings::DialogRunner runner;
    return runner;
}

bool RunDialog(ModelKindSettings& settings, qint32 kind, QWidget* parent)
{
    CModelKindDlg dialog(kind, parent);
    dialog.Fill(settings);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.Read(settings);
    return true;
}

int HelpTopic(qint32 kind)
{
    switch (kind) {
    case ModelKind::DocumentModel: return 2505;
    case ModelKind::CodeSegmentModel: return 2506;
    case ModelKind::CodeTreeModel: return 2507;
    case ModelKind::CooccurrenceModel: return 2508;
    case ModelKind::SubcodeModel: return 2509;
    default: return 0;
    }
}

int Caption(qint32 kind)
{
    switch (kind) {
    case ModelKind::DocumentModel: return ModelKindDlgText::DocumentCaption;
    case ModelKind::CodeSegmentModel: return ModelKindDlgText::SegmentsCaption;
    case ModelKind::CodeTreeModel: return ModelKindDlgText::TreeCaption;
    case ModelKind::CooccurrenceModel: return ModelKindDlgText::CooccurrenceCaption;
    case ModelKind::SubcodeModel: return ModelKindDlgText::SubcodesCaption;
    default: return 0;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Settings and their profile value

void ModelKindSettings::SetDialogRunner(DialogRunner runner)
{
    Runner() = std::move(runner);
}

void ModelKindSettings::SetDefaults()
{
    IncludeMemos = true;
    MemoLimit = 20;
    CodeLimit = 10;
    IncludeSegments = true;
    SegmentLimit = 5;
    SegmentOrder = 0;
    OnlyActivatedCodes = false;
    WithParentCodes = false;
    OnlyActivatedDocuments = false;
    SubcodeLevels = 0;
    MemoOrder = 0;
    ReservedOption = 1;
    MinCooccurrence = 1;
    WeightFloor = 0;
    WeightCeiling = 100;
}

QString ModelKindSettings::ToProfileString() const
{
    const qint32 values[] = {IncludeMemos ? 1 : 0, MemoLimit, CodeLimit, IncludeSegments ? 1 : 0, SegmentLimit,
                             SegmentOrder, OnlyActivatedCodes ? 1 : 0, WithParentCodes ? 1 : 0,
                             OnlyActivatedDocuments ? 1 : 0, SubcodeLevels, MemoOrder, ReservedOption,
                             MinCooccurrence, WeightFloor, WeightCeiling};
    QStringList parts;
    for (const qint32 value : values)
        parts.append(QString::number(value));
    return parts.join(u'|');
}

void ModelKindSettings::FromProfileString(const QString& text)
{
    SetDefaults();
    // Each piece is read as a leading decimal integer: anything else gives 0.
    const auto number = [](QStringView piece) {
        piece = piece.trimmed();
        qsizetype end = 0;
        if (end < piece.size() && (piece[end] == u'-' || piece[end] == u'+'))
            ++end;
        while (end < piece.size() && piece[end].isDigit() && piece[end].unicode() < 128)
            ++end;
        bool ok = false;
        const qint64 value = piece.left(end).toLongLong(&ok);
        return ok ? qint32(std::clamp<qint64>(value, INT32_MIN, INT32_MAX)) : 0;
    };
    bool* const bytes[] = {&IncludeMemos, nullptr, nullptr, &IncludeSegments, nullptr, nullptr,
                           &OnlyActivatedCodes, &WithParentCodes, &OnlyActivatedDocuments};
    qint32* const ints[] = {nullptr, &MemoLimit, &CodeLimit, nullptr, &SegmentLimit, &SegmentOrder,
                            nullptr, nullptr, nullptr, &SubcodeLevels, &MemoOrder, &ReservedOption,
                            &MinCooccurrence, &WeightFloor, &WeightCeiling};
    const QList<QStringView> pieces = QStringView(text).split(u'|');
    for (qsizetype i = 0; i < pieces.size() && i < 15; ++i) {
        const qint32 value = number(pieces[i]);
        if (i < qsizetype(std::size(bytes)) && bytes[i])
            *bytes[i] = value != 0;
        else
            *ints[i] = value;
    }
}

void ModelKindSettings::ReadProfile(qint32 kind)
{
    const QString key = QStringLiteral("Model%1").arg(kind);
    FromProfileString(g_program.ProfilePath.isEmpty() ? QString()
                                                      : PrivateProfile(g_program.ProfilePath).GetString(kSection, key));
}

void ModelKindSettings::WriteProfile(qint32 kind) const
{
    if (!g_program.ProfilePath.isEmpty())
        PrivateProfile(g_program.ProfilePath).WriteString(kSection, QStringLiteral("Model%1").arg(kind),
                                                          ToProfileString());
}

// ---------------------------------------------------------------------------
// The active kind

void ModelKindSettings::Begin(qint32 kind)
{
    Kind = kind;
    TitleObjectId = 0;
    PlaceholderObjectId = 0;
    DroppedObjectId = 0;
    DroppedIds.clear();
    if (kind == 0 || !Canvas) {
        if (Canvas && Canvas->Owner())
            Canvas->Owner()->RebuildMenuBar();
        return;
    }
    ReadProfile(kind);

    ModelerCanvasCore& core = Canvas->Core();
    const QSize client = core.ViewportSize();
    const QPointF top = core.ClientToModel(client.width() / 2, 0);
    const QPointF centre = core.ClientToModel(client.width() / 2, client.height() / 2);

    TitleObjectId = Canvas->AddObject(0, 0, core.Record().Name, 0, false, 0, false, QString(), nullptr, true);
    if (const qint32 index = Canvas->FindObjectIndex(TitleObjectId); index >= 0) {
        ModelObject& title = core.Objects()[size_t(index)];
        title.Rect.x = float(top.x()) - title.Rect.width / 2;
        title.Rect.y = float(top.y()) + 10;
        title.FontSize = kTitleFontSize;
        title.LabelBox = true;
        title.LabelShadow = true;
        title.NeedsLayout = true;
    }

    int placeholderText = 0;
    switch (kind) {
    case ModelKind::DocumentModel: placeholderText = ModelKindDlgText::DropDocument; break;
    case ModelKind::CodeSegmentModel:
    case ModelKind::CodeTreeModel:
    case ModelKind::SubcodeModel: placeholderText = ModelKindDlgText::DropCode; break;
    case ModelKind::CooccurrenceModel: placeholderText = ModelKindDlgText::DropCodes; break;
    default: placeholderText = ModelerText::NewTextLabel; break;
    }
    PlaceholderObjectId = Canvas->AddObject(0, 0, LoadString(placeholderText), 0, false, 0, false, QString(),
                                            nullptr, true);
    if (const qint32 index = Canvas->FindObjectIndex(PlaceholderObjectId); index >= 0) {
        ModelObject& placeholder = core.Objects()[size_t(index)];
        placeholder.Rect.x = float(centre.x()) - placeholder.Rect.width / 2;
        placeholder.Rect.y = float(centre.y()) - placeholder.Rect.height / 2;
        placeholder.FontSize = kPlaceholderFontSize;
        placeholder.WrapFactor = kPlaceholderWrap;
        placeholder.NeedsLayout = true;
        CentreX = placeholder.Rect.CentreX();
        CentreY = placeholder.Rect.CentreY();
    }
    Canvas->Redraw();
    if (Canvas->Owner())
        Canvas->Owner()->RebuildMenuBar();
}

bool ModelKindSettings::Accepts(qint32 dragKind, qint32 dragId) const
{
    switch (Kind) {
    case ModelKind::DocumentModel: return dragKind == TopicId::Documents && DroppedObjectId == 0;
    case ModelKind::CodeSegmentModel:
    case ModelKind::CodeTreeModel:
    case ModelKind::SubcodeModel: return dragKind == TopicId::Codes && DroppedObjectId == 0;
    case ModelKind::CooccurrenceModel: {
        if (dragKind != TopicId::Codes)
            return false;
        if (!Canvas)
            return true;
        for (const qint32 id : DroppedIds) {
            const qint32 index = Canvas->FindObjectIndex(id);
            if (index >= 0 && Canvas->Core().Model().Objects[size_t(index)].RefId == dragId)
                return false;
        }
        return true;
    }
    default: return false;
    }
}

int ModelKindSettings::DialogTemplate(qint32 kind)
{
    switch (kind) {
    case ModelKind::DocumentModel: return 3129;
    case ModelKind::CodeSegmentModel: return 3130;
    case ModelKind::CodeTreeModel: return 3131;
    case ModelKind::CooccurrenceModel: return 3135;
    case ModelKind::SubcodeModel: return 3133;
    default: return 0;
    }
}

void ModelKindSettings::EditOptions(qint32 droppedObjectId)
{
    const qint32 kind = Kind;
    if (!Canvas)
        return;
    ModelerCanvasCore& core = Canvas->Core();
    QWidget* parent = Canvas->window();
    const auto build = [&] {
        ShowWaitWindow(LoadString(ModelKindDlgText::BuildingModel));
        WaitCursor wait;
        // One snapshot: a single Undo takes the whole build back.
        core.PushUndo();
        if (CKorDoc* project = Canvas->Project())
            ModelBuilder::Build(*Canvas, *project, *this);
        if (kind == ModelKind::CooccurrenceModel)
            core.RemovePlaceholder(PlaceholderObjectId);
        CloseWaitWindow();
    };
    const auto runDialog = [&] {
        return Runner() ? Runner()(*this, kind, parent) : RunDialog(*this, kind, parent);
    };
    switch (kind) {
    case ModelKind::DocumentModel:
    case ModelKind::CodeSegmentModel:
    case ModelKind::CodeTreeModel:
    case ModelKind::SubcodeModel:
        core.RemovePlaceholder(PlaceholderObjectId);
        PlaceholderObjectId = 0;
        DroppedObjectId = droppedObjectId;
        core.PlaceDroppedObject(droppedObjectId, TitleObjectId);
        Canvas->Redraw();
        if (runDialog())
            build();
        Begin(0);
        break;
    case ModelKind::CooccurrenceModel:
        DroppedIds.append(droppedObjectId);
        if (AskYesNo(LoadString(ModelKindDlgText::AnotherCode)))
            break;
        Canvas->Redraw();
        if (runDialog()) {
            build();
        } else {
            // Cancel takes the placeholder away as well: the model is done.
            core.RemovePlaceholder(PlaceholderObjectId);
        }
        Canvas->Redraw();
        Begin(0);
        break;
    default: break;
    }
    WriteProfile(kind);
}

// ---------------------------------------------------------------------------
// Options dialogs

namespace {

QComboBox* MakeCombo(QWidget* parent, int id, const QList<int>& values)
{
    auto* combo = new QComboBox(parent);
    SetControlId(combo, id);
    for (const int value : values)
        combo->addItem(QString::number(value));
    return combo;
}

QCheckBox* MakeCheckBox(QWidget* parent, int id, int textId, const char* fallback)
{
    auto* box = new QCheckBox(TextKey(textId, fallback), parent);
    SetControlId(box, id);
    return box;
}

void SelectValue(QComboBox* combo, qint32 value)
{
    if (combo)
        combo->setCurrentIndex(combo->findText(QString::number(value)));
}

/// The selected number; the value kept when nothing is selected.
qint32 ReadCombo(const QComboBox* combo, qint32 value)
{
    return combo && combo->currentIndex() >= 0 ? combo->currentText().toInt() : value;
}

qint32 AtLeastOne(qint32 value)
{
    return value <= 0 ? 5 : value;
}

}  // namespace

CModelKindDlg::CModelKindDlg(qint32 kind, QWidget* parent)
    : CResizableDlgBase(ModelKindSettings::DialogTemplate(kind), parent), m_kind(kind)
{
    setWindowTitle(TextKey(Caption(kind), "Model options"));
    m_strSection = QStringLiteral("dlgModelKind%1").arg(kind);
    auto* help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, 102059);
    const int topic = HelpTopic(kind);
    connect(help, &QPushButton::clicked, this, [topic] { ShowHelpTopic(kHelpKind, topic); });

    auto* layout = new QVBoxLayout(this);
    const auto group = [&](int id, int textId, const char* fallback) {
        auto* box = new QGroupBox(TextKey(textId, fallback), this);
        SetControlId(box, id);
        auto* grid = new QGridLayout(box);
        layout->addWidget(box);
        return grid;
    };
    const auto orderRadios = [&](QGridLayout* grid, int row, int firstText, const char* firstFallback,
                                 int secondText, const char* secondFallback) {
        m_first = new QRadioButton(TextKey(firstText, firstFallback), this);
        SetControlId(m_first, kFirstRadioId);
        m_second = new QRadioButton(TextKey(secondText, secondFallback), this);
        SetControlId(m_second, kSecondRadioId);
        grid->addWidget(m_first, row, 0);
        grid->addWidget(m_second, row, 1);
    };
    const auto labelled = [&](QGridLayout* grid, int row, int textId, const char* fallback, QWidget* control) {
        grid->addWidget(new QLabel(TextKey(textId, fallback), this), row, 0);
        grid->addWidget(control, row, 1);
    };
    const QList<int> limits{5, 10, 15, 20};
    // The three sections the dialogs share, each with its first controls.
    const auto memosSection = [&](const QList<int>& values, const char* includeText) {
        QGridLayout* memos = group(kMemosGroupId, ModelKindDlgText::MemosGroup, "Memos");
        m_includeMemos = MakeCheckBox(this, kIncludeMemosId, ModelKindDlgText::IncludeMemos, includeText);
        memos->addWidget(m_includeMemos, 0, 0, 1, 2);
        m_memoCombo = MakeCombo(this, kMemoComboId, values);
        labelled(memos, 1, ModelKindDlgText::MemoLimit, "At most:", m_memoCombo);
        return memos;
    };
    const auto codesSection = [&](const QList<int>& values, bool levels) {
        QGridLayout* codes = group(kCodesGroupId, ModelKindDlgText::CodesGroup, "Codes");
        m_onlyCodes = MakeCheckBox(this, kOnlyActivatedCodesId, ModelKindDlgText::OnlyActivatedCodes,
                                   "Only activated codes");
        codes->addWidget(m_onlyCodes, 0, 0, 1, 2);
        m_codeCombo = MakeCombo(this, kCodeComboId, values);
        if (levels)
            labelled(codes, 1, ModelKindDlgText::SubcodeLevels, "Subcode levels:", m_codeCombo);
        else
            labelled(codes, 1, ModelKindDlgText::CodeLimit, "At most:", m_codeCombo);
        return codes;
    };
    const auto segmentsSection = [&](const QList<int>& values, bool onlyDocuments) {
        QGridLayout* segments = group(kSegmentsGroupId, ModelKindDlgText::SegmentsGroup, "Coded segments");
        m_includeSegments = MakeCheckBox(this, kIncludeSegmentsId, ModelKindDlgText::IncludeSegments,
                                         "Include coded segments");
        segments->addWidget(m_includeSegments, 0, 0, 1, 2);
        m_segmentCombo = MakeCombo(this, kSegmentComboId, values);
        labelled(segments, 1, ModelKindDlgText::SegmentLimit, "At most:", m_segmentCombo);
        int row = 2;
        if (onlyDocuments) {
            m_onlyDocuments = MakeCheckBox(this, kOnlyActivatedDocumentsId,
                                           ModelKindDlgText::OnlyActivatedDocuments, "Only activated documents");
            segments->addWidget(m_onlyDocuments, row++, 0, 1, 2);
        }
        orderRadios(segments, row, ModelKindDlgText::OrderByWeight, "By weight", ModelKindDlgText::OrderByLength,
                    "By length");
    };

    switch (kind) {
    case ModelKind::DocumentModel: {
        memosSection(limits, "Include memos");
        QGridLayout* codes = codesSection(limits, false);
        m_withParents = MakeCheckBox(this, kWithParentCodesId, ModelKindDlgText::WithParentCodes,
                                     "Show parent codes");
        codes->addWidget(m_withParents, 2, 0, 1, 2);
        segmentsSection({3, 5, 10}, false);
        break;
    }
    case ModelKind::CodeSegmentModel:
        memosSection(limits, "Include memos");
        segmentsSection({5, 10, 20, 25}, true);
        break;
    case ModelKind::CodeTreeModel: {
        QGridLayout* memos = memosSection({5, 10, 15, 20, 25, 30, 35, 40}, "Include memos attached to the codes");
        orderRadios(memos, 2, ModelKindDlgText::MemosNewestFirst, "Newest first",
                    ModelKindDlgText::MemosLongestFirst, "Longest first");
        codesSection({0, 1, 2}, true);
        break;
    }
    case ModelKind::SubcodeModel:
        codesSection(limits, false);
        segmentsSection({3, 5, 10}, true);
        break;
    case ModelKind::CooccurrenceModel: {
        QGridLayout* codes = codesSection({0, 1, 2, 4, 5, 6, 7, 8, 9, 10}, true);
        QList<int> least;
        for (int i = 1; i <= 20; ++i)
            least.append(i);
        least.append({25, 30, 35, 40, 45, 50, 60, 70, 80, 90, 100});
        m_memoCombo = MakeCombo(this, kMemoComboId, least);
        labelled(codes, 2, ModelKindDlgText::MinCooccurrence, "At least co-occurrences:", m_memoCombo);
        m_floor = new QSpinBox(this);
        SetControlId(m_floor, kWeightFloorId);
        m_floor->setRange(0, 100);
        labelled(codes, 3, ModelKindDlgText::WeightFloor, "Weight from:", m_floor);
        m_ceiling = new QSpinBox(this);
        SetControlId(m_ceiling, kWeightCeilingId);
        m_ceiling->setRange(0, 100);
        labelled(codes, 4, ModelKindDlgText::WeightCeiling, "Weight to:", m_ceiling);
        break;
    }
    default: break;
    }

    auto* ok = new QPushButton(TextKey(ModelKindDlgText::Ok, "OK"), this);
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    auto* cancel = new QPushButton(TextKey(ModelKindDlgText::Cancel, "Cancel"), this);
    SetControlId(cancel, kCancelId);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

void CModelKindDlg::Fill(const ModelKindSettings& settings)
{
    const auto check = [](QCheckBox* box, bool on) {
        if (box)
            box->setChecked(on);
    };
    check(m_includeMemos, settings.IncludeMemos);
    check(m_onlyCodes, settings.OnlyActivatedCodes);
    check(m_includeSegments, settings.IncludeSegments);
    check(m_withParents, settings.WithParentCodes);
    check(m_onlyDocuments, settings.OnlyActivatedDocuments);
    const bool tree = m_kind == ModelKind::CodeTreeModel;
    const bool cooccurrence = m_kind == ModelKind::CooccurrenceModel;
    SelectValue(m_memoCombo, cooccurrence ? settings.MinCooccurrence : settings.MemoLimit);
    SelectValue(m_codeCombo, tree || cooccurrence ? settings.SubcodeLevels : settings.CodeLimit);
    SelectValue(m_segmentCombo, settings.SegmentLimit);
    if (m_first) {
        const qint32 order = tree ? settings.MemoOrder : settings.SegmentOrder;
        m_first->setAutoExclusive(false);
        m_second->setAutoExclusive(false);
        m_first->setChecked(order == 0);
        m_second->setChecked(order == 1);
        m_first->setAutoExclusive(true);
        m_second->setAutoExclusive(true);
    }
    if (m_floor) {
        m_floor->setValue(settings.WeightFloor);
        m_ceiling->setValue(settings.WeightCeiling);
    }
}

void CModelKindDlg::Read(ModelKindSettings& settings) const
{
    const auto checked = [](const QCheckBox* box, bool& value) {
        if (box)
            value = box->isChecked();
    };
    checked(m_includeMemos, settings.IncludeMemos);
    checked(m_onlyCodes, settings.OnlyActivatedCodes);
    checked(m_includeSegments, settings.IncludeSegments);
    checked(m_withParents, settings.WithParentCodes);
    checked(m_onlyDocuments, settings.OnlyActivatedDocuments);
    switch (m_kind) {
    case ModelKind::CodeTreeModel:
        settings.MemoLimit = AtLeastOne(ReadCombo(m_memoCombo, settings.MemoLimit));
        if (m_codeCombo->currentIndex() >= 0)
            settings.SubcodeLevels = std::clamp(ReadCombo(m_codeCombo, settings.SubcodeLevels), 0, 2);
        break;
    case ModelKind::CooccurrenceModel:
        settings.MinCooccurrence = ReadCombo(m_memoCombo, settings.MinCooccurrence);
        if (m_codeCombo->currentIndex() >= 0)
            settings.SubcodeLevels = std::clamp(ReadCombo(m_codeCombo, settings.SubcodeLevels), 0, 10);
        settings.WeightFloor = m_floor->value();
        settings.WeightCeiling = m_ceiling->value();
        break;
    default:
        if (m_memoCombo)
            settings.MemoLimit = AtLeastOne(ReadCombo(m_memoCombo, settings.MemoLimit));
        if (m_codeCombo)
            settings.CodeLimit = AtLeastOne(ReadCombo(m_codeCombo, settings.CodeLimit));
        if (m_segmentCombo)
            settings.SegmentLimit = AtLeastOne(ReadCombo(m_segmentCombo, settings.SegmentLimit));
        break;
    }
    if (m_first) {
        qint32& order = m_kind == ModelKind::CodeTreeModel ? settings.MemoOrder : settings.SegmentOrder;
        if (m_first->isChecked())
            order = 0;
        else if (m_second->isChecked())
            order = 1;
    }
}
