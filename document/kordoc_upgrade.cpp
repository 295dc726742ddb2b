// One-time repairs of project data that need the topics in memory: each is
// guarded by its own sys_Setup key and runs, with the write of that key, in
// one transaction.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "foundation/externalfiles.h"
#include "foundation/richtexthelpers.h"
#include "foundation/tabledata.h"
#include "foundation/waitwindow.h"
#include "platform/pdf/pdfmemorydocument.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>

namespace {

/// A guard key and the value that marks its step as done.
struct StepKey {
    const char* key;
    const char* done;
};
constexpr StepKey kRichText{"RichText", "2"};
constexpr StepKey kMemoParagraph{"MemoParagraph", "OK"};
constexpr StepKey kCodingsType{"CodingsType", "OK"};
constexpr StepKey kCodingsParagraph{"CodingsParagraph3", "OK"};
constexpr StepKey kCodingsTxtGroup{"CodingsTxtGroup", "OK"};
constexpr StepKey kMemosTxtGroup{"MemosTxtGroup", "OK"};
constexpr StepKey kCodesVariableId{"CodesVariableID", "OK"};
constexpr StepKey kCodingsCoverage{"CodingsCoverage", "OK"};
constexpr StepKey kCheckOptions{"CheckOptions", "OK"};
constexpr StepKey kCodingStatistics{"CheckCodingStatistics", "1"};
constexpr StepKey kMemoSource{"MemoSource", "OK"};
constexpr StepKey kAllSteps[] = {kRichText,       kMemoParagraph,    kCodingsType,  kCodingsParagraph,
                                 kCodingsTxtGroup, kMemosTxtGroup,   kCodesVariableId, kCodingsCoverage,
                                 kCheckOptions,   kCodingStatistics, kMemoSource};

/// User field ids lie above this; a code's variable below it is an old field id.
constexpr qint32 kUserFieldBase = 100000000;

qint32 IntOf(RowBuffer& row, qint32 field)
{
    FieldValue value;
    return row.GetFieldValue(field, value) ? value.GetInt() : 0;
}

/// Stores the value; true when it differed.
bool ChangeInt(RowBuffer& row, qint32 field, qint32 newValue)
{
    FieldValue value;
    if (!row.GetFieldValue(field, value) || value.GetInt() == newValue)
        return false;
    return value.SetInt(newValue);
}

/// A repair of a large project takes seconds: the wait window is repainted
/// now and then, so it neither stays blank nor looks frozen.
void KeepWaitWindowPainted()
{
    constexpr qint64 kPumpMs = 100;
    static QElapsedTimer sincePump;
    static const IWaitWindow* pumped = nullptr;
    IWaitWindow* window = GetWaitWindow();
    if (!window || (window == pumped && sincePump.elapsed() < kPumpMs))
        return;
    window->Pump();
    pumped = window;
    sincePump.start();
}

/// Reads the row (without blobs) and lets change() edit it; a row that
/// change() reports changed is committed. A row that cannot be read is
/// skipped. False only when a commit failed.
template <typename Change>
bool EditRow(TopicDatabase& db, qint32 topic, qint32 key, Change change)
{
    RowBuffer row;
    if (!db.ReadRow(topic, key, row, false))
        return true;
    return !change(row) || row.Commit(false, false);
}

template <typename Change>
bool EditRows(TopicDatabase& db, qint32 topic, const QList<qint32>& keys, Change change)
{
    constexpr qsizetype kRowsBetweenPumps = 1024;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (!EditRow(db, topic, keys[i], change))
            return false;
        if ((i + 1) % kRowsBetweenPumps == 0)
            KeepWaitWindowPainted();
    }
    return true;
}

QList<qint32> KeysOf(const TopicDatabase& db, qint32 topic, bool keyOrder = false)
{
    QList<qint32> keys;
    db.GetAllKeys(topic, keys);
    if (keyOrder)
        std::sort(keys.begin(), keys.end());
    return keys;
}

QList<qint32> ChildrenOf(const TopicDatabase& db, qint32 topic, qint32 parentTopic, qint32 parentKey)
{
    QList<qint32> keys;
    db.FindKeysByParent(topic, parentTopic, parentKey, keys);
    return keys;
}

/// A position that counted each earlier paragraph break as two characters,
/// counted with one. Breaks are ascending; each one before the position as
/// lowered so far takes one off.
qint32 WithSingleBreaks(qint32 position, const ParagraphMap& breaks)
{
    for (const qint32 offset : breaks) {
        if (offset >= position)
            break;
        --position;
    }
    return position;
}

/// Characters of a PDF's or a table's content; 0 when it cannot be read.
qint64 ContentLength(qint32 kind, const QByteArray& content)
{
    if (kind == DocumentKind::Pdf)
        return content.isEmpty() ? 0 : CountPdfCharacters(content);
    CTableData table;
    return table.LoadFromBytes(content) ? table.GetTotalLabelLength() : 0;
}

}  // namespace

bool CKorDoc::MarkUpgradeStepsDone(ProjectDataEngine& engine)
{
    if (!engine.BeginTrans())
        return false;
    for (const StepKey& step : kAllSteps) {
        if (!engine.SetSetupValue(QLatin1String(step.key), QLatin1String(step.done))) {
            engine.Rollback();
            return false;
        }
    }
    return engine.CommitTrans();
}

bool CKorDoc::ForgetUpgradeSteps(ProjectDataEngine& engine)
{
    if (!engine.BeginTrans())
        return false;
    for (const StepKey& step : kAllSteps) {
        if (!engine.DeleteSetupKey(QLatin1String(step.key))) {
            engine.Rollback();
            return false;
        }
    }
    return engine.CommitTrans();
}

bool CKorDoc::RunUpgradeStep(const char* key, const char* doneValue, bool force, const std::function<bool()>& work)
{
    const QString keyText = QLatin1String(key);
    const QString done = QLatin1String(doneValue);
    if (!force && SetupValue(keyText) == done)
        return true;
    StoreTransaction transaction(&d->m_db);
    if (!transaction.IsActive() || !work())
        return false;
    if (!force && d->m_engine && !d->m_engine->SetSetupValue(keyText, done))
        return false;
    return transaction.Commit();
}

bool CKorDoc::MeasureRichText(qint32 document, CRichEditCtrlEx& edit, bool withRanges, TextMeasure& measure)
{
    if (d->m_keepMeasures) {
        if (const auto kept = d->m_measures.constFind(document); kept != d->m_measures.cend()) {
            measure = *kept;
            return measure.richText;
        }
        withRanges = true;  // a later repair may ask for them
    }
    measure = {};
    KeepWaitWindowPainted();
    // Only rich text has paragraph breaks at rich-edit positions; PDF,
    // picture and table content would be misread as plain text, and so
    // would the reference to an external file that was not found.
    RowBuffer row;
    FieldValue text;
    if (d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::DocType) == DocumentKind::RichText &&
        d->m_db.ReadRow(TopicId::Documents, document, row, true) && row.GetFieldValue(DocumentField::Text, text) &&
        text.GetBlob() && !text.GetBlob()->isEmpty() && StripExternPrefix(text.GetBlob()).isEmpty()) {
        edit.StreamInRtf(text.GetBlob(), false);
        measure.richText = true;
        measure.length = edit.GetTextLength();
        measure.breaks = GetParagraphBreaks(edit);
        if (withRanges)
            measure.ranges = GetParagraphRanges(edit);
        edit.SetText(QString());
    }
    if (d->m_keepMeasures)
        d->m_measures.insert(document, measure);
    return measure.richText;
}

bool CKorDoc::UpgradeRichText(bool force)
{
    return RunUpgradeStep(kRichText.key, kRichText.done, force, [this] {
        const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        TextMeasure measure;
        for (const qint32 document : KeysOf(d->m_db, TopicId::Documents, true)) {
            if (!MeasureRichText(document, *edit, false, measure) || measure.breaks.empty())
                continue;
            const ParagraphMap& breaks = measure.breaks;
            const auto lowerRange = [&breaks](RowBuffer& row) {
                const bool start = ChangeInt(row, CodingField::StartChar,
                                             WithSingleBreaks(IntOf(row, CodingField::StartChar), breaks));
                const bool finish = ChangeInt(row, CodingField::FinishChar,
                                              WithSingleBreaks(IntOf(row, CodingField::FinishChar), breaks));
                return start || finish;
            };
            const auto lowerPos = [&breaks](RowBuffer& row) {
                return ChangeInt(row, MemoField::Pos, WithSingleBreaks(IntOf(row, MemoField::Pos), breaks));
            };
            if (!EditRows(d->m_db, TopicId::Codings, ChildrenOf(d->m_db, TopicId::Codings, TopicId::Documents, document),
                          lowerRange) ||
                !EditRows(d->m_db, TopicId::Memos, ChildrenOf(d->m_db, TopicId::Memos, TopicId::Documents, document),
                          lowerPos))
                return false;
        }
        return true;
    });
}

bool CKorDoc::UpgradeMemoParagraphs()
{
    return RunUpgradeStep(kMemoParagraph.key, kMemoParagraph.done, false, [this] {
        const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        TextMeasure measure;
        for (const qint32 document : KeysOf(d->m_db, TopicId::Documents, true)) {
            if (!MeasureRichText(document, *edit, true, measure))
                continue;
            const QList<qint32> memos = ChildrenOf(d->m_db, TopicId::Memos, TopicId::Documents, document);
            const qint32 length = measure.length;
            const ParagraphMap& ranges = measure.ranges;
            const bool counted = EditRow(d->m_db, TopicId::Documents, document, [&](RowBuffer& row) {
                const bool size = ChangeInt(row, DocumentField::Size, length);
                const bool count = ChangeInt(row, DocumentField::Memos, qint32(memos.size()));
                return size || count;
            });
            const qint32 group = d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID);
            if (!counted || !EditRows(d->m_db, TopicId::Memos, memos, [&](RowBuffer& row) {
                    const bool grouped = ChangeInt(row, MemoField::GroupID, group);
                    const bool placed = ChangeInt(row, MemoField::Paragraph,
                                                  ParagraphOfPosition(IntOf(row, MemoField::Pos), true, ranges));
                    return grouped || placed;
                }))
                return false;
        }
        return true;
    });
}

bool CKorDoc::UpgradeCodingsType()
{
    return RunUpgradeStep(kCodingsType.key, kCodingsType.done, false, [this] {
        for (const qint32 code : KeysOf(d->m_db, TopicId::Codes)) {
            const qint32 color = d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Type);
            if (!EditRows(d->m_db, TopicId::Codings, ChildrenOf(d->m_db, TopicId::Codings, TopicId::Codes, code),
                          [color](RowBuffer& row) { return ChangeInt(row, CodingField::Type, color); }))
                return false;
        }
        return true;
    });
}

bool CKorDoc::UpgradeCodingsParagraphs()
{
    return RunUpgradeStep(kCodingsParagraph.key, kCodingsParagraph.done, false, [this] {
        const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        TextMeasure measure;
        for (const qint32 document : KeysOf(d->m_db, TopicId::Documents, true)) {
            if (!MeasureRichText(document, *edit, true, measure))
                continue;
            const ParagraphMap& ranges = measure.ranges;
            if (!EditRows(d->m_db, TopicId::Codings, ChildrenOf(d->m_db, TopicId::Codings, TopicId::Documents, document),
                          [&ranges](RowBuffer& row) {
                              const int first = ParagraphOfPosition(IntOf(row, CodingField::StartChar), true, ranges);
                              const int last = ParagraphOfPosition(IntOf(row, CodingField::FinishChar), false, ranges);
                              const bool start = ChangeInt(row, CodingField::StartPara, first);
                              const bool finish = ChangeInt(row, CodingField::FinishPara, last);
                              return start || finish;
                          }))
                return false;
        }
        return true;
    });
}

bool CKorDoc::UpgradeCodingsTxtGroup()
{
    return RunUpgradeStep(kCodingsTxtGroup.key, kCodingsTxtGroup.done, false, [this] {
        return EditRows(d->m_db, TopicId::Codings, KeysOf(d->m_db, TopicId::Codings), [this](RowBuffer& row) {
            const qint32 document = IntOf(row, CodingField::Document);
            return ChangeInt(row, CodingField::Group,
                             d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID));
        });
    });
}

bool CKorDoc::UpgradeMemosTxtGroup(bool force)
{
    return RunUpgradeStep(kMemosTxtGroup.key, kMemosTxtGroup.done, force, [this] {
        return EditRows(d->m_db, TopicId::Memos, KeysOf(d->m_db, TopicId::Memos), [this](RowBuffer& row) {
            const qint32 document = IntOf(row, MemoField::Document);
            return ChangeInt(row, MemoField::GroupID,
                             d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID));
        });
    });
}

bool CKorDoc::UpgradeCodesVariableID()
{
    return RunUpgradeStep(kCodesVariableId.key, kCodesVariableId.done, false, [this] {
        return EditRows(d->m_db, TopicId::Codes, KeysOf(d->m_db, TopicId::Codes), [](RowBuffer& row) {
            const qint32 variable = IntOf(row, CodeField::Variable);
            return variable >= 1 && variable < kUserFieldBase &&
                   ChangeInt(row, CodeField::Variable, variable + kUserFieldBase);
        });
    });
}

bool CKorDoc::UpgradeCodingsCoverage()
{
    return RunUpgradeStep(kCodingsCoverage.key, kCodingsCoverage.done, false, [this] {
        const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        QList<qint32> documents;
        for (const qint32 coding : KeysOf(d->m_db, TopicId::Codings)) {
            if (d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::IsText) &&
                d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Area) == 0)
                documents.append(d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Document));
        }
        UniqueDWordArray(documents);
        TextMeasure measure;
        for (const qint32 document : std::as_const(documents)) {
            const qint32 kind = d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::DocType);
            qint64 length = 0;
            if (kind == DocumentKind::RichText) {
                length = MeasureRichText(document, *edit, false, measure) ? measure.length : 0;
            } else if (kind == DocumentKind::Pdf || kind == DocumentKind::Table) {
                RowBuffer row;
                FieldValue text;
                if (d->m_db.ReadRow(TopicId::Documents, document, row, true) &&
                    row.GetFieldValue(DocumentField::Text, text) && text.GetBlob())
                    length = ContentLength(kind, *text.GetBlob());
            }  // pictures have no characters
            if (length > 0 && length <= INT32_MAX && !UpdateCodingCoverage(document, qint32(length)))
                return false;
        }
        return true;
    });
}

bool CKorDoc::UpdateCodingCoverage(qint32 document, qint32 length)
{
    StoreTransaction transaction(&d->m_db);
    const bool ok =
        transaction.IsActive() &&
        EditRows(d->m_db, TopicId::Codings, ChildrenOf(d->m_db, TopicId::Codings, TopicId::Documents, document),
                 [length](RowBuffer& row) {
                     if (!IntOf(row, CodingField::IsText))
                         return false;
                     // Without a length there is no share; the area stays.
                     const qint32 area =
                         std::abs(IntOf(row, CodingField::FinishChar) - IntOf(row, CodingField::StartChar));
                     FieldValue coverage;
                     const bool changedArea = length > 0 && ChangeInt(row, CodingField::Area, area);
                     if (!row.GetFieldValue(CodingField::Coverage, coverage))
                         return changedArea;
                     const double share = length > 0 ? area * 100.0 / length : 0.0;
                     const bool changedShare = coverage.GetReal() != share && coverage.SetReal(share);
                     return changedArea || changedShare;
                 });
    return ok && transaction.Commit();
}

bool CKorDoc::UpgradeCheckOptions()
{
    // The settings read at this open stay in memory and are stored again
    // under "Options" when the project's settings are next saved.
    return RunUpgradeStep(kCheckOptions.key, kCheckOptions.done, false,
                          [this] { return !d->m_engine || d->m_engine->DeleteSetupKey(QLatin1String(SetupKey::Options)); });
}

bool CKorDoc::CheckCodingStatistics()
{
    return RunUpgradeStep(kCodingStatistics.key, kCodingStatistics.done, false, [this] {
        const bool codes = EditRows(d->m_db, TopicId::Codes, KeysOf(d->m_db, TopicId::Codes), [this](RowBuffer& row) {
            const qint32 count = qint32(ChildrenOf(d->m_db, TopicId::Codings, TopicId::Codes, row.GetKey()).size());
            return ChangeInt(row, CodeField::Codes, count);
        });
        // Codings of code 0 are temporary retrieval rows, never counted.
        return codes && EditRows(d->m_db, TopicId::Documents, KeysOf(d->m_db, TopicId::Documents), [this](RowBuffer& row) {
                   const QList<qint32> codings = ChildrenOf(d->m_db, TopicId::Codings, TopicId::Documents, row.GetKey());
                   const qint32 count = qint32(std::count_if(codings.begin(), codings.end(), [this](qint32 coding) {
                       return d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Code) != 0;
                   }));
                   return ChangeInt(row, DocumentField::Codes, count);
               });
    });
}

bool CKorDoc::UpgradeMemoSource(bool force)
{
    return RunUpgradeStep(kMemoSource.key, kMemoSource.done, force, [this] {
        return EditRows(d->m_db, TopicId::Memos, KeysOf(d->m_db, TopicId::Memos), [this](RowBuffer& row) {
            qint32 source = MemoSource::None;
            if (d->m_projectMemo != 0 && row.GetKey() == d->m_projectMemo)
                source = MemoSource::Project;
            else if (IntOf(row, MemoField::Document))
                source = IntOf(row, MemoField::Pos) == -1 ? MemoSource::Document : MemoSource::DocumentPosition;
            else if (IntOf(row, MemoField::GroupID))
                source = MemoSource::DocumentGroup;
            else if (IntOf(row, MemoField::SetID))
                source = MemoSource::DocumentSet;
            else if (IntOf(row, MemoField::Code))
                source = MemoSource::Code;
            return ChangeInt(row, MemoField::Source, source);
        });
    });
}
