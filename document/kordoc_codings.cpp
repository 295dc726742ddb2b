// Codings: adding one with its overlap rules and counters, merging, the
// smaller operations on codings (extent, comment, copy, move, paste), the
// coding actions and their undo, and counts.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/codingtext.h"
#include "document/documentids.h"
#include "document/rowfields.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QMap>
#include <QScopeGuard>

#include <algorithm>

using namespace rowfields;

namespace {

constexpr qsizetype kCommentUnits = 127;
constexpr qint32 kMaxWeight = 100;
constexpr qint32 kTextRangeOnPage = 2;  // IsText of a text range on a PDF page

using Extent = CodingExtent;

/// Offsets of the fields the overlap test reads in packed coding rows.
struct CodingOffsets {
    explicit CodingOffsets(const TopicTable& table)
    {
        const auto offset = [&table](qint32 field) {
            const FieldDescriptor* descriptor = table.Fields().GetById(field);
            return descriptor ? descriptor->Offset : -1;
        };
        code = offset(CodingField::Code);
        page = offset(CodingField::Page);
        start = offset(CodingField::StartChar);
        finish = offset(CodingField::FinishChar);
        startPara = offset(CodingField::StartPara);
        finishPara = offset(CodingField::FinishPara);
        x1 = offset(CodingField::PosX1);
        x2 = offset(CodingField::PosX2);
    }
    bool IsComplete() const
    {
        return std::min({code, page, start, finish, startPara, finishPara, x1, x2}) >= 0;
    }

    qint32 code, page, start, finish, startPara, finishPara, x1, x2;
};

bool Conflicts(const Extent& added, const Extent& stored, bool range)
{
    return CodingExtentsConflict(added, stored, range);
}

/// The record's field values that are integers, as a coding row holds them.
void SetInts(RowBuffer& row, std::initializer_list<std::pair<qint32, qint32>> values)
{
    for (const auto& [field, value] : values)
        SetInt(row, field, value);
}

}  // namespace

bool CodingExtentsConflict(const CodingExtent& added, const CodingExtent& stored, bool range)
{
    const bool addedInside = stored.start <= added.start && added.finish <= stored.finish;
    const bool storedInside = added.start <= stored.start && stored.finish <= added.finish;
    if (range)
        return addedInside || storedInside || (added.start < stored.finish && stored.start < added.finish);
    const bool xInside = stored.x1 <= added.x1 && added.x2 <= stored.x2;
    const bool xHolds = added.x1 <= stored.x1 && stored.x2 <= added.x2;
    if ((addedInside && xInside) || (storedInside && xHolds))
        return true;
    return added.start < stored.finish && stored.start < added.finish && added.x1 <= stored.x2 &&
           stored.x1 <= added.x2;
}

// ---- The coding record ---------------------------------------------------------

void CodingRecord::CopyFrom(RowBuffer& row, bool withId)
{
    if (withId)
        ID = IntOf(row, 0);
    TAID = IntOf(row, 1);
    Type = IntOf(row, CodingField::Type);
    TextID = IntOf(row, CodingField::Document);
    WordID = IntOf(row, CodingField::Code);
    StartChar = IntOf(row, CodingField::StartChar);
    FinishChar = IntOf(row, CodingField::FinishChar);
    StartPara = IntOf(row, CodingField::StartPara);
    FinishPara = IntOf(row, CodingField::FinishPara);
    Weight = IntOf(row, CodingField::Weight);
    Preview = TextOf(row, CodingField::Preview);
    FieldValue value;
    const QByteArray* blob = row.GetFieldValue(CodingField::Text, value) ? value.GetBlob() : nullptr;
    Text = blob ? *blob : QByteArray();
    Author = TextOf(row, CodingField::Author);
    if (row.GetFieldValue(CodingField::Date, value))
        Date = value.GetDate();
    Comment = TextOf(row, CodingField::Comment);
    GroupID = IntOf(row, CodingField::Group);
    PosX1 = IntOf(row, CodingField::PosX1);
    PosX2 = IntOf(row, CodingField::PosX2);
    Page = IntOf(row, CodingField::Page);
    IsText = IntOf(row, CodingField::IsText);
    Area = IntOf(row, CodingField::Area);
    Coverage = row.GetFieldValue(CodingField::Coverage, value) ? value.GetReal() : 0.0;
}

// ---- Adding a coding -------------------------------------------------------------

void CKorDoc::NormaliseCoding(CodingRecord& record)
{
    if (record.StartChar > record.FinishChar) {
        std::swap(record.StartChar, record.FinishChar);
        std::swap(record.StartPara, record.FinishPara);
    }
    if (record.StartPara > record.FinishPara)
        std::swap(record.StartPara, record.FinishPara);
    if (record.PosX1 > record.PosX2 && record.IsText != kTextRangeOnPage)
        std::swap(record.PosX1, record.PosX2);
    record.Weight = qBound(0, record.Weight, kMaxWeight);
}

qint32 CKorDoc::FindOverlappingCoding(CodingRecord& record, qint32 overlapMode, const TopicDatabase* store) const
{
    QSet<qint32> skip;
    if (record.ID != 0)
        skip.insert(record.ID);
    return ScanOverlaps(record, overlapMode, store ? *store : d->m_db, skip);
}

qint32 CKorDoc::ScanOverlaps(CodingRecord& record, qint32 mode, const TopicDatabase& store, const QSet<qint32>& skip)
{
    const TopicTable* codings = store.GetTable(TopicId::Codings);
    if (!codings || record.IsText < 0 || record.IsText > kTextRangeOnPage)
        return OverlapResult::Free;
    const CodingOffsets at(*codings);
    if (!at.IsComplete())
        return OverlapResult::Free;
    const bool range = record.IsText == kTextRangeOnPage;
    const Extent added{record.StartChar, record.FinishChar, record.PosX1, record.PosX2};

    // Only codings of the same document, code and page take part. An equal
    // coding anywhere in the list wins over an overlapping one found first.
    qint32 equalKey = 0;
    qint32 conflictKey = 0;
    Extent stored{};
    qint32 startPara = 0;
    qint32 finishPara = 0;
    codings->ForEachRowOfParent(TopicId::Documents, record.TextID, [&](qint32 key, const char* row) {
        if (equalKey != 0 || IntAt(row, at.code) != record.WordID || IntAt(row, at.page) != record.Page ||
            skip.contains(key))
            return;
        const Extent other{IntAt(row, at.start), IntAt(row, at.finish), IntAt(row, at.x1), IntAt(row, at.x2)};
        if (range && other.x1 != added.x1)
            return;
        const bool equal = added.start == other.start && added.finish == other.finish &&
                           (range || (added.x1 == other.x1 && added.x2 == other.x2));
        if (equal) {
            equalKey = key;
        } else if (conflictKey == 0 && Conflicts(added, other, range)) {
            conflictKey = key;
            stored = other;
            startPara = IntAt(row, at.startPara);
            finishPara = IntAt(row, at.finishPara);
        }
    });
    if (equalKey != 0) {
        record.ID = equalKey;
        return OverlapResult::Drop;
    }
    if (conflictKey == 0)
        return OverlapResult::Free;

    switch (mode) {
    case OverlapMode::Replace:
        record.ID = conflictKey;
        return OverlapResult::Replace;
    case OverlapMode::Drop:
        return OverlapResult::Drop;
    case OverlapMode::Union:
        record.ID = conflictKey;
        record.StartChar = std::min(record.StartChar, stored.start);
        record.FinishChar = std::max(record.FinishChar, stored.finish);
        record.StartPara = std::min(record.StartPara, startPara);
        record.FinishPara = std::max(record.FinishPara, finishPara);
        if (!range) {
            record.PosX1 = std::min(record.PosX1, stored.x1);
            record.PosX2 = std::max(record.PosX2, stored.x2);
        }
        return OverlapResult::Combined;
    case OverlapMode::Intersection:
        record.ID = conflictKey;
        record.StartChar = std::max(record.StartChar, stored.start);
        record.FinishChar = std::min(record.FinishChar, stored.finish);
        record.StartPara = std::max(record.StartPara, startPara);
        record.FinishPara = std::min(record.FinishPara, finishPara);
        if (!range) {
            record.PosX1 = std::max(record.PosX1, stored.x1);
            record.PosX2 = std::min(record.PosX2, stored.x2);
        }
        return OverlapResult::Combined;
    default:
        return OverlapResult::Free;
    }
}

bool CKorDoc::AddCoding(CodingRecord& record, qint32& actionId, qint32 overlapMode, bool* written, bool commitEdits)
{
    if (written)
        *written = false;
    if (commitEdits && d->m_frame)
        d->m_frame->CommitDocumentEdits();
    // A coding never names an object that does not exist.
    if (!HasRow(TopicId::Documents, record.TextID) || (record.WordID != 0 && !HasRow(TopicId::Codes, record.WordID)))
        return false;
    NormaliseCoding(record);
    const std::array<qint32, 4> given = {record.StartChar, record.FinishChar, record.PosX1, record.PosX2};
    qint32 overlap = OverlapResult::Free;
    if (record.WordID != 0) {
        overlap = FindOverlappingCoding(record, overlapMode);
        // An equal coding or a dropped overlap: nothing to write, nothing to rerun.
        if (overlap == OverlapResult::Drop || (overlap != OverlapResult::Free && record.ID == 0))
            return false;
    }
    if (overlap == OverlapResult::Free)
        return WriteNewCoding(record, actionId, written);
    return MergeCoding(record, overlapMode, written, given);
}

void CKorDoc::FillCodingRow(RowBuffer& row, CodingRecord& record, std::optional<qint32> action)
{
    if (action)
        SetInt(row, 1, *action);
    SetInts(row, {{CodingField::Type, record.WordID ? GetCodeColorIndex(record.WordID) : 0},
                  {CodingField::Document, record.TextID},
                  {CodingField::Code, record.WordID},
                  {CodingField::StartChar, record.StartChar},
                  {CodingField::FinishChar, record.FinishChar},
                  {CodingField::PosX1, record.PosX1},
                  {CodingField::PosX2, record.PosX2},
                  {CodingField::Page, record.Page},
                  {CodingField::IsText, record.IsText},
                  {CodingField::StartPara, record.StartPara},
                  {CodingField::FinishPara, record.FinishPara},
                  {CodingField::Weight, record.Weight},
                  {CodingField::Area, record.Area},
                  {CodingField::Group, GetDocumentGroup(record.TextID)}});
    SetReal(row, CodingField::Coverage, record.Coverage);
    SetText(row, CodingField::Preview, record.Preview);
    SetBlob(row, CodingField::Text, record.Text, record.PreparedText);
    FieldValue date;
    if (!record.Author.isEmpty()) {
        SetText(row, CodingField::Author, record.Author);
        if (row.GetFieldValue(CodingField::Date, date))
            date.SetDate(record.Date);
    } else {
        SetText(row, CodingField::Author, d->m_db.GetUserName());
        SetDate(row, CodingField::Date, Now());
    }
    if (TextOf(row, CodingField::Comment).isEmpty() && !record.Comment.isEmpty())
        SetText(row, CodingField::Comment, record.Comment);
}

bool CKorDoc::AddToStoredCount(RowBuffer& row, qint32 field, qint32 delta)
{
    FieldValue value;
    return row.GetFieldValue(field, value) && row.SetFieldText(field, QString::number(value.GetInt() + delta));
}

qint32 CKorDoc::CountCountedCodings() const
{
    QList<qint32> temporary;
    d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Codes, 0, temporary);
    return d->m_db.GetRowCount(TopicId::Codings) - qint32(temporary.size());
}

void CKorDoc::SetCodeShares(RowBuffer& codeRow) const
{
    const qint32 total = CountCountedCodings();
    const qint32 activated = GetActivatedCount(TopicId::Codings);
    SetReal(codeRow, CodeFrequencyField::ShareOfCodings,
            total > 0 ? IntOf(codeRow, CodeField::Codes) * 100.0 / total : 0.0);
    SetReal(codeRow, CodeFrequencyField::ShareOfActivated,
            activated > 0 ? IntOf(codeRow, CodeField::ActiveCodes) * 100.0 / activated : 0.0);
}

bool CKorDoc::WriteNewCoding(CodingRecord& record, qint32& actionId, bool* written)
{
    const qint32 document = record.TextID;
    const qint32 code = record.WordID;
    qint32 key = 0;
    qint32 action = 0;
    {
        // The coding and the counters that count it stand or fall together.
        StoreTransaction transaction(&d->m_db);
        RowBuffer row;
        if (!transaction.IsActive() || !d->m_db.AddRow(TopicId::Codings, row, -1))
            return false;
        key = row.GetKey();
        action = actionId == 0 ? key : actionId == -1 ? 0 : actionId;
        FillCodingRow(row, record, action);
        if (!row.Commit(true, true))
            return false;
        // Codings of code 0 are temporary and count nowhere. Each counter
        // the file holds is written alone; the others live in memory only.
        if (code != 0) {
            RowBuffer codeRow;
            if (!d->m_db.ReadRow(TopicId::Codes, code, codeRow, false) || !AddToStoredCount(codeRow, CodeField::Codes, 1))
                return false;
            if (CountCodingsOfCodeInDocument(code, document) == 1)
                SetInt(codeRow, CodeFrequencyField::DocumentCount,
                       IntOf(codeRow, CodeFrequencyField::DocumentCount) + 1);
            if (IsDocumentActivated(document))
                SetInt(codeRow, CodeField::ActiveCodes, IntOf(codeRow, CodeField::ActiveCodes) + 1);
            SetCodeShares(codeRow);
            const qint32 variable = IntOf(codeRow, CodeField::Variable);
            const qint32 parent = IntOf(codeRow, CodeField::Parent);
            if (!codeRow.WriteBack())
                return false;
            if (const qint32 categorical = parent ? GetCodeLinkObject(parent, true) : 0)
                UpdateCategoricalValue(document, parent, categorical);
            RowBuffer documentRow;
            FieldValue value;
            if (!d->m_db.ReadRow(TopicId::Documents, document, documentRow, false) ||
                !AddToStoredCount(documentRow, DocumentField::Codes, 1) ||
                (variable != 0 && documentRow.GetFieldValue(variable, value) &&
                 !AddToStoredCount(documentRow, variable, 1)))
                return false;
        }
        if (!transaction.Commit())
            return false;
    }
    record.ID = key;
    record.TAID = action;
    record.Text.clear();
    record.PreparedText = PreparedBlob();
    if (actionId == 0)
        actionId = key;
    if (written)
        *written = true;
    AnnounceNewCoding(key, document, code);
    return BelongsInRetrieval(record);
}

void CKorDoc::AnnounceNewCoding(qint32 coding, qint32 document, qint32 code)
{
    d->m_registry.NotifyAdded(TopicId::Codings, coding, 0, TopicId::Documents, document, true);
    if (code == 0)
        return;
    d->m_registry.NotifyAdded(TopicId::Codings, coding, 0, TopicId::Codes, code, true);
    NotifyChanged(TopicId::Codes, code);
    NotifyChanged(TopicId::Documents, document);
    NotifyChanged(TopicId::DocumentGroups, GetDocumentGroup(document));
    QList<qint32> members;
    d->m_db.FindKeysByParent(TopicId::DocumentSetMembers, TopicId::Documents, document, members);
    for (const qint32 member : std::as_const(members)) {
        NotifyChanged(TopicId::DocumentSetMembers, member);
        NotifyChanged(TopicId::DocumentSets, d->m_db.GetIntValue(TopicId::DocumentSetMembers, member, SetMemberField::SetID));
    }
    NotifyChanged(TopicKind::DocumentsRoot, 0);
    if (!members.isEmpty())
        NotifyChanged(TopicKind::DocumentSetsRoot, 0);
    NotifyChanged(TopicKind::CodeSystemRoot, 0);
}

bool CKorDoc::MergeCoding(CodingRecord& record, qint32 mode, bool* written, const std::array<qint32, 4>& given)
{
    const qint32 target = record.ID;
    // Further codings of the code that the stored extent meets go; in union
    // mode the stored coding grows by each, so that nothing coded is lost.
    QSet<qint32> skip{target};
    QList<qint32> absorbed;
    for (;;) {
        CodingRecord probe = record;
        probe.ID = target;
        const qint32 found =
            ScanOverlaps(probe, mode == OverlapMode::Union ? OverlapMode::Union : OverlapMode::Replace, d->m_db, skip);
        if (found == OverlapResult::Free || skip.contains(probe.ID))
            break;
        absorbed.append(probe.ID);
        skip.insert(probe.ID);
        if (mode == OverlapMode::Union) {
            record.StartChar = probe.StartChar;
            record.FinishChar = probe.FinishChar;
            record.StartPara = probe.StartPara;
            record.FinishPara = probe.FinishPara;
            record.PosX1 = probe.PosX1;
            record.PosX2 = probe.PosX2;
        }
    }
    const bool extentChanged =
        given != std::array<qint32, 4>{record.StartChar, record.FinishChar, record.PosX1, record.PosX2};

    Deletion deletion;
    {
        // The merged coding is written before the codings it absorbed go.
        StoreTransaction transaction(&d->m_db);
        RowBuffer row;
        if (!transaction.IsActive() || !d->m_db.ReadRow(TopicId::Codings, target, row, false))
            return false;
        FillCodingRow(row, record, std::nullopt);
        if (extentChanged && record.IsText == 1) {
            // The record's text, preview and shares describe its own extent:
            // those of the stored extent come from the document.
            RowBuffer documentRow;
            FieldValue text;
            const QByteArray* rtf = d->m_db.ReadRow(TopicId::Documents, record.TextID, documentRow, true)
                                        ? OwnRichText(documentRow, text)
                                        : nullptr;
            if (rtf) {
                const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
                edit->StreamInRtf(rtf, false);
                if (!RenewCodingSegment(row, *edit, GetParagraphRanges(*edit), edit->GetTextLength()))
                    return false;
            }
        }
        if (!row.Commit(true, false) || !DeleteRowsInTransaction(TopicId::Codings, absorbed, deletion) ||
            !transaction.Commit())
            return false;
    }
    record.Text.clear();
    if (written)
        *written = true;
    NotifyChanged(TopicId::Codings, target);
    AnnounceDeletion(deletion);
    return BelongsInRetrieval(record);
}

bool CKorDoc::IsCodeRetrieved(qint32 code) const
{
    if (code == 0)
        return false;
    if (IsActivated(TopicId::Codes, code))
        return true;
    if (d->m_options.l4) {
        // Subcodes included: an activated code above counts. A damaged file
        // may hold a cycle of parents: each code is passed once.
        QSet<qint32> visited{code};
        for (qint32 parent = d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Parent);
             parent != 0 && !visited.contains(parent); parent = d->m_db.GetIntValue(TopicId::Codes, parent, CodeField::Parent)) {
            if (IsActivated(TopicId::Codes, parent))
                return true;
            visited.insert(parent);
        }
    }
    // Functions 5 to 9 name one further code of their own.
    const qint32 named[] = {0, 0, 0, 0, 0, d->m_options.codeA, d->m_options.enclosingCode, d->m_options.excludedCode,
                            d->m_options.followingCode, d->m_options.nearCode};
    const qint32 function = d->m_options.retrievalFunction;
    return function >= 5 && function <= 9 && named[function] == code;
}

bool CKorDoc::BelongsInRetrieval(const CodingRecord& record) const
{
    if (!IsDocumentActivated(record.TextID) || !IsCodeRetrieved(record.WordID))
        return false;
    return !d->m_options.weightFilter ||
           (record.Weight >= d->m_options.weightMinimum && record.Weight <= d->m_options.weightMaximum);
}

// ---- Extent and comment ------------------------------------------------------------

bool CKorDoc::UpdateCodingSegment(CodingRecord& record)
{
    NormaliseCoding(record);
    RowBuffer row;
    if (!d->m_db.ReadRow(TopicId::Codings, record.ID, row, false)) {
        record.Text.clear();
        return false;
    }
    SetInts(row, {{CodingField::StartChar, record.StartChar},
                  {CodingField::FinishChar, record.FinishChar},
                  {CodingField::StartPara, record.StartPara},
                  {CodingField::FinishPara, record.FinishPara},
                  {CodingField::Area, record.Area}});
    SetReal(row, CodingField::Coverage, record.Coverage);
    SetText(row, CodingField::Preview, record.Preview);
    SetBlob(row, CodingField::Text, record.Text);
    record.Text.clear();
    if (!row.Commit(true, false))
        return false;
    NotifyChanged(TopicId::Codings, record.ID);
    return true;
}

bool CKorDoc::SetCodingComment(qint32 coding, const QString& text)
{
    RowBuffer row;
    if (text.isEmpty() || !d->m_db.ReadRow(TopicId::Codings, coding, row, false) ||
        !TextOf(row, CodingField::Comment).isEmpty())
        return false;
    if (!SetText(row, CodingField::Comment, text.left(kCommentUnits)) || !row.Commit(false, false))
        return false;
    NotifyChanged(TopicId::Codings, coding);
    return true;
}

QString CKorDoc::GetCodingComment(qint32 coding) const
{
    return TextOfKey(d->m_db, TopicId::Codings, coding, CodingField::Comment);
}

bool CKorDoc::SetCodingWeight(qint32 coding, qint32 weight)
{
    weight = std::clamp(weight, 0, kMaxWeight);
    RowBuffer row;
    if (!d->m_db.ReadRow(TopicId::Codings, coding, row, false))
        return false;
    if (IntOf(row, CodingField::Weight) == weight)
        return false;
    if (!SetInt(row, CodingField::Weight, weight) || !row.Commit(false, false))
        return false;
    NotifyChanged(TopicId::Codings, coding);
    return true;
}

bool CKorDoc::ReplaceComment(qint32 topic, qint32 key, const QString& text)
{
    const qint32 field = topic == TopicId::Codings      ? qint32(CodingField::Comment)
                         : topic == TopicId::MediaMarks ? qint32(MediaMarkField::Comment)
                                                        : 0;
    RowBuffer row;
    if (field == 0 || !d->m_db.ReadRow(topic, key, row, false))
        return false;
    const QString comment = text.left(kCommentUnits);
    if (TextOf(row, field) == comment)
        return false;
    if (!SetText(row, field, comment) || !row.Commit(false, false))
        return false;
    NotifyChanged(topic, key);
    return true;
}

bool CKorDoc::AppendCodingComment(qint32 coding, const QString& comment)
{
    const QString own = GetCodingComment(coding);
    if (comment.isEmpty() || own.contains(comment))
        return false;
    if (own.isEmpty())
        return SetCodingComment(coding, comment);
    RowBuffer row;
    if (!d->m_db.ReadRow(TopicId::Codings, coding, row, false) ||
        !SetText(row, CodingField::Comment, (own + QStringLiteral("\n\n") + comment).left(kCommentUnits)) ||
        !row.Commit(false, false))
        return false;
    NotifyChanged(TopicId::Codings, coding);
    return true;
}

// ---- Copying, moving and pasting codings -----------------------------------------------

bool CKorDoc::ReadCodingRecord(qint32 coding, CodingRecord& record)
{
    RowBuffer row;
    if (!d->m_db.ReadRow(TopicId::Codings, coding, row, true))
        return false;
    record.CopyFrom(row, false);
    return true;
}

bool CKorDoc::CopyCodingToCode(qint32 coding, qint32 code)
{
    CodingRecord record;
    if (!ReadCodingRecord(coding, record))
        return true;
    if (record.WordID == code || !HasRow(TopicId::Codes, code))
        return false;
    record.WordID = code;
    qint32 action = 0;
    if (AddCoding(record, action, OverlapMode::Drop, nullptr, true))
        RunRetrieval(d->m_options, 0);
    return true;
}

bool CKorDoc::MoveCodingToCode(qint32 coding, qint32 code)
{
    CodingRecord record;
    if (!ReadCodingRecord(coding, record))
        return true;
    if (record.WordID == code || !HasRow(TopicId::Codes, code))
        return false;
    record.WordID = code;
    const QString comment = record.Comment;
    bool rerun = IsCodingActivated(coding);
    qint32 action = 0;
    rerun = AddCoding(record, action, OverlapMode::Replace, nullptr, true) || rerun;
    // The original goes only once the code holds the segment.
    if (record.ID != 0 && HasRow(TopicId::Codings, record.ID)) {
        DeleteCoding(coding);
        AppendCodingComment(record.ID, comment);
    }
    if (rerun)
        RunRetrieval(d->m_options, 0);
    return true;
}

void CKorDoc::SetPendingCodings(qint32 code, bool copy)
{
    d->m_pendingCode = code;
    d->m_copyPendingCodings = copy;
}

qint32 CKorDoc::PastePendingCodings(qint32 target)
{
    const qint32 pending = d->m_pendingCode;
    if (pending == 0 || target == pending || !HasRow(TopicId::Codes, target))
        return 0;
    const bool copy = d->m_copyPendingCodings;
    const QString line = LoadString(copy ? DocumentText::CopyingCodings : DocumentText::MovingCodings);
    QList<qint32> codings;
    d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Codes, pending, codings);
    if (d->m_frame)
        d->m_frame->CommitDocumentEdits();
    bool rerun = false;
    bool done = true;
    {
        // All codings go, or none: the panes hear of it once, afterwards.
        StoreTransaction transaction(&d->m_db);
        d->m_registry.SetHeld(true);
        const auto release = qScopeGuard([this] { d->m_registry.SetHeld(false); });
        qint32 action = 0;  // the copies form one coding action
        for (qsizetype i = 0; done && i < codings.size(); ++i) {
            SetWaitText(line.arg(i + 1));
            const qint32 coding = codings.at(i);
            CodingRecord record;
            if (!ReadCodingRecord(coding, record))
                continue;
            record.WordID = target;
            if (copy) {
                rerun = AddCoding(record, action, OverlapMode::Replace, nullptr, false) || rerun;
                continue;
            }
            const QString comment = record.Comment;
            rerun = IsCodingActivated(coding) || rerun;
            qint32 noAction = -1;
            rerun = AddCoding(record, noAction, OverlapMode::Replace, nullptr, false) || rerun;
            if (record.ID != 0 && HasRow(TopicId::Codings, record.ID)) {
                done = DeleteCoding(coding);
                AppendCodingComment(record.ID, comment);
            }
        }
        done = done && transaction.IsActive() && transaction.Commit();
    }
    if (!done) {
        UpdateCodeFrequencies(0);
        return 0;
    }
    d->m_pendingCode = 0;
    NotifyCodeSubtree(pending);
    NotifyCodeSubtree(target);
    if (d->m_frame)
        d->m_frame->RefreshBrowser();
    if (rerun)
        RunRetrieval(d->m_options, 0);
    return pending;
}

// ---- Coding actions --------------------------------------------------------------------

QList<CKorDoc::CodingAction> CKorDoc::ListCodingActions() const
{
    const TopicTable* codings = d->m_db.GetTable(TopicId::Codings);
    const FieldDescriptor* actionField = codings ? codings->Fields().GetById(1) : nullptr;
    const FieldDescriptor* codeField = codings ? codings->Fields().GetById(CodingField::Code) : nullptr;
    if (!actionField || !codeField)
        return {};
    QMap<qint32, CodingAction> actions;
    codings->ForEachRow([&](qint32, const char* row) {
        const qint32 action = IntAt(row, actionField->Offset);
        if (action <= 0)
            return;
        auto found = actions.find(action);
        if (found == actions.end())
            found = actions.insert(action, {action, 0, IntAt(row, codeField->Offset)});
        ++found->count;
    });
    QList<CodingAction> list(actions.cbegin(), actions.cend());
    std::reverse(list.begin(), list.end());
    return list;
}

qint32 CKorDoc::FindPreviousAction(qint32& code, qint32 bound) const
{
    code = 0;
    for (const CodingAction& action : ListCodingActions()) {
        if (bound == 0 || action.action < bound) {
            code = action.code;
            return action.action;
        }
    }
    return 0;
}

qint32 CKorDoc::CountActionCodings(qint32 action) const
{
    const TopicTable* codings = d->m_db.GetTable(TopicId::Codings);
    const FieldDescriptor* actionField = codings ? codings->Fields().GetById(1) : nullptr;
    qint32 count = 0;
    if (actionField)
        codings->ForEachRow([&](qint32, const char* row) { count += IntAt(row, actionField->Offset) == action; });
    return count;
}

bool CKorDoc::BuildCodeRankingList(qint32 count, QStringList& lines) const
{
    lines.clear();
    for (const CodingAction& action : ListCodingActions()) {
        if (lines.size() >= count)
            break;
        lines.append(QStringLiteral("%1  (%2)")
                         .arg(d->m_db.FormatRowDisplay(TopicId::Codes, action.code, true))
                         .arg(action.count));
    }
    return true;
}

bool CKorDoc::UndoCodingAction(qint32 n)
{
    const QList<CodingAction> actions = ListCodingActions();
    if (n < 0 || n >= actions.size())
        return false;
    const qint32 action = actions.at(n).action;
    QList<qint32> codings;
    d->m_db.GetAllKeys(TopicId::Codings, codings);
    codings.removeIf([&](qint32 coding) { return d->m_db.GetIntValue(TopicId::Codings, coding, 1) != action; });
    SetWaitText(LoadString(DocumentText::UndoingCodings).arg(0));
    return DeleteTopicRows(TopicId::Codings, codings, DocumentText::UndoingCodings);
}

// ---- Counts and queries -------------------------------------------------------------------

void CKorDoc::RemoveDeadCodings(QList<qint32>& ids) const
{
    ids.removeIf([this](qint32 coding) {
        return HasRow(TopicId::Codings, coding) && d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Code) == 0;
    });
}

qint32 CKorDoc::CountCodingsOfCodeInDocument(qint32 code, qint32 document, const TopicDatabase* store) const
{
    const TopicDatabase& db = store ? *store : d->m_db;
    const TopicTable* codings = db.GetTable(TopicId::Codings);
    const FieldDescriptor* codeField = codings ? codings->Fields().GetById(CodingField::Code) : nullptr;
    if (!codeField)
        return 0;
    qint32 count = 0;
    codings->ForEachRowOfParent(TopicId::Documents, document,
                                [&](qint32, const char* row) { count += IntAt(row, codeField->Offset) == code; });
    return count;
}

void CKorDoc::CountCodingsByDocumentAndCode(const QList<qint32>& documents, const QList<qint32>& codes,
                                            QList<qint32>& counts, QList<quint8>& presence) const
{
    const qsizetype cells = documents.size() * codes.size();
    counts.fill(0, cells);
    presence.fill(0, cells);
    QHash<qint32, qsizetype> column;
    for (qsizetype k = codes.size() - 1; k >= 0; --k)
        column.insert(codes.at(k), k);  // the first listing of a code wins
    const bool filter = d->m_options.weightFilter;
    for (qsizetype i = 0; i < documents.size(); ++i) {
        QList<qint32> codings;
        d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Documents, documents.at(i), codings);
        for (const qint32 coding : std::as_const(codings)) {
            const auto k = column.constFind(d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Code));
            if (k == column.cend())
                continue;
            const qint32 weight = d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Weight);
            if (filter && (weight < d->m_options.weightMinimum || weight > d->m_options.weightMaximum))
                continue;
            const qsizetype cell = i + k.value() * documents.size();
            ++counts[cell];
            presence[cell] = 1;
        }
    }
}

void CKorDoc::SelectCodingCode(qint32 coding)
{
    if (HasRow(TopicId::Codings, coding))
        d->m_registry.SelectObject(TopicId::Codes, d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Code), 0);
}
