#pragma once

#include "ui/dlgbase.h"

#include <QList>
#include <QString>

#include <functional>

class CKorDoc;
class ModelerCanvas;
class QCheckBox;
class QComboBox;
class QRadioButton;
class QSpinBox;

/// Texts of the model kinds: the system's own ids first, then ours.
namespace ModelKindDlgText {
enum : int {
    DocumentCaption = 101106,      ///< dialog 3129
    SegmentsCaption = 101107,      ///< dialog 3130
    TreeCaption = 101108,          ///< dialog 3131
    CooccurrenceCaption = 101109,  ///< dialog 3135
    SubcodesCaption = 101110,      ///< dialog 3133
    IncludeMemos = 101111,
    MemoLimit = 101112,
    OnlyActivatedCodes = 101113,
    CodeLimit = 101114,
    WithParentCodes = 101115,
    IncludeSegments = 101116,
    SegmentLimit = 101117,
    OrderByWeight = 101118,
    OrderByLength = 101119,
    OnlyActivatedDocuments = 101120,
    MemosNewestFirst = 101121,
    MemosLongestFirst = 101122,
    SubcodeLevels = 101123,
    MinCooccurrence = 101124,
    WeightFloor = 101125,
    WeightCeiling = 101126,
    MemosGroup = 101127,
    CodesGroup = 101128,
    SegmentsGroup = 101129,
    AnotherCode = 101154,          ///< kind 5: drop another code?
    Ok = 100563,
    Cancel = 100564,
    DropDocument = 102217,         ///< placeholder of kind 1
    DropCode = 102218,             ///< placeholder of kinds 3, 4 and 6
    DropCodes = 102219,            ///< placeholder of kind 5
    BuildingModel = 210000,        ///< the wait window's line during a build
};
}

/// @short The active prepared model kind of one canvas: the kind, the
/// objects it placed, and the fifteen options kept per kind in the profile
/// ("Model%d" of section "Modeler").
///
/// `Begin` (k) puts a title and a placeholder on the canvas; the canvas's
/// drop asks `Accepts` and then calls `EditOptions`, which runs the kind's
/// options dialog and its builder under one undo snapshot. UI thread only.
class ModelKindSettings {
public:
    qint32 Kind = 0;
    ModelerCanvas* Canvas = nullptr;
    qint32 TitleObjectId = 0;
    qint32 PlaceholderObjectId = 0;
    qint32 DroppedObjectId = 0;
    QList<qint32> DroppedIds;  ///< kind 5: the dropped codes' objects, in drop order
    float CentreX = 0;
    float CentreY = 0;

    bool IncludeMemos = true;
    qint32 MemoLimit = 20;
    qint32 CodeLimit = 10;
    bool IncludeSegments = true;
    qint32 SegmentLimit = 5;
    qint32 SegmentOrder = 0;  ///< 0 by weight, 1 by length, else unordered
    bool OnlyActivatedCodes = false;
    bool WithParentCodes = false;
    bool OnlyActivatedDocuments = false;
    qint32 SubcodeLevels = 0;
    qint32 MemoOrder = 0;     ///< kind 4: 0 newest first, 1 longest first
    qint32 ReservedOption = 1;
    qint32 MinCooccurrence = 1;
    qint32 WeightFloor = 0;
    qint32 WeightCeiling = 100;

    /// Runs a kind's options dialog on the settings; true on OK. Tests
    /// replace it; an empty function restores the dialogs.
    using DialogRunner = std::function<bool(ModelKindSettings& settings, qint32 kind, QWidget* parent)>;
    static void SetDialogRunner(DialogRunner runner);

    void SetDefaults();
    QString ToProfileString() const;
    /// Defaults first, then as many options as the text holds, in order.
    void FromProfileString(const QString& text);
    /// Reads and writes the kind's profile value; nothing without a profile.
    void ReadProfile(qint32 kind);
    void WriteProfile(qint32 kind) const;

    /// Starts the kind (0 ends the active one, leaving its objects).
    void Begin(qint32 kind);
    /// Whether the canvas takes a drop of one project object of that kind
    /// while a kind is active.
    bool Accepts(qint32 dragKind, qint32 dragId) const;
    /// After a drop made the object: the options dialog and the builder.
    void EditOptions(qint32 droppedObjectId);

    /// The options dialog's template of a kind; 0 for kinds without one.
    static int DialogTemplate(qint32 kind);
};

/// @short The options dialog of one prepared model kind (templates 3129,
/// 3130, 3131, 3133 and 3135): filled from the settings, written back on OK.
class CModelKindDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kIncludeMemosId = 1188;
    static constexpr int kOnlyActivatedCodesId = 1189;
    static constexpr int kIncludeSegmentsId = 1190;
    static constexpr int kWithParentCodesId = 1192;
    static constexpr int kOnlyActivatedDocumentsId = 1193;
    static constexpr int kMemoComboId = 1061;
    static constexpr int kCodeComboId = 1062;
    static constexpr int kSegmentComboId = 3129;
    static constexpr int kFirstRadioId = 1056;
    static constexpr int kSecondRadioId = 1057;
    static constexpr int kWeightFloorId = 1111;
    static constexpr int kWeightCeilingId = 1114;

    CModelKindDlg(qint32 kind, QWidget* parent);

    void Fill(const ModelKindSettings& settings);
    void Read(ModelKindSettings& settings) const;
    QWidget* Control(int id) const { return FindControl(this, id); }
    qint32 Kind() const { return m_kind; }

private:
    qint32 m_kind;
    QCheckBox* m_includeMemos = nullptr;
    QCheckBox* m_onlyCodes = nullptr;
    QCheckBox* m_includeSegments = nullptr;
    QCheckBox* m_withParents = nullptr;
    QCheckBox* m_onlyDocuments = nullptr;
    QComboBox* m_memoCombo = nullptr;
    QComboBox* m_codeCombo = nullptr;
    QComboBox* m_segmentCombo = nullptr;
    QRadioButton* m_first = nullptr;
    QRadioButton* m_second = nullptr;
    QSpinBox* m_floor = nullptr;
    QSpinBox* m_ceiling = nullptr;
};
