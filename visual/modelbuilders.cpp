#include "visual/modelbuilders.h"

#include "document/kordoc.h"
#include "document/rowfields.h"
#include "store/oledate.h"
#include "store/storedmodel.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "visual/modelercanvas.h"
#include "visual/modelkinds.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ModelBuilder {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kFanSpread = 2.3561945;  // 3π/4
constexpr double kFanRadius = 100;
constexpr double kOuterRingGap = 100;
constexpr double kMemoRoom = 70;
constexpr double kMemoStep = 65;
constexpr quint32 kBlack = 0xFF000000u;
constexpr quint32 kSubcodeLine = 0xFFC40000u;

/// A project object the builder may place: what it is, its sort value, its
/// parent or owning code, and its model object once added.
struct Candidate {
    qint32 topic = 0;
    qint32 id = 0;
    qint32 value = 0;
    qint32 owner = 0;
    qint32 object = 0;
};

void SortByValue(QList<Candidate>& list)
{
    std::stable_sort(list.begin(), list.end(), [](const Candidate& a, const Candidate& b) { return a.value > b.value; });
}

void CutTo(QList<Candidate>& list, qint32 limit)
{
    if (limit >= 0 && list.size() > limit)
        list.resize(limit);
}

class Builder {
public:
    Builder(ModelerCanvas& canvas, CKorDoc& project, const ModelKindSettings& settings)
        : m_canvas(canvas), m_project(project), m_db(project.GetDatabase()), m_settings(settings)
    {
    }

    void Run();

private:
    bool HasRow(qint32 topic, qint32 id) const
    {
        const TopicTable* table = m_db.GetTable(topic);
        return table && table->HasKey(id);
    }
    qint32 Int(qint32 topic, qint32 id, qint32 field) const { return m_db.GetIntValue(topic, id, field); }
    QString Text(qint32 topic, qint32 id, qint32 field) const
    {
        return rowfields::TextOfKey(m_db, topic, id, field);
    }
    ModelObject* Object(qint32 id)
    {
        const qint32 index = id != 0 ? m_canvas.FindObjectIndex(id) : -1;
        return index >= 0 ? &m_canvas.Core().Objects()[size_t(index)] : nullptr;
    }
    qint32 Add(qint32 topic, qint32 id, const QString& label, qint32 value)
    {
        return m_canvas.AddObject(topic, id, label, value, false, 0, false, QString(), nullptr, false);
    }
    qint32 AddCode(qint32 code)
    {
        if (!HasRow(TopicId::Codes, code))
            return 0;
        return Add(TopicId::Codes, code, Text(TopicId::Codes, code, CodeField::Name),
                   Int(TopicId::Codes, code, CodeField::Type));
    }
    qint32 AddMemo(qint32 memo)
    {
        if (!HasRow(TopicId::Memos, memo))
            return 0;
        return Add(TopicId::Memos, memo, Text(TopicId::Memos, memo, MemoField::Title),
                   Int(TopicId::Memos, memo, MemoField::Type));
    }
    /// A coding labelled by its comment, else by its code's name or its
    /// document's display text.
    qint32 AddSegment(qint32 coding, bool documentLabel)
    {
        if (!HasRow(TopicId::Codings, coding))
            return 0;
        QString label = Text(TopicId::Codings, coding, CodingField::Comment);
        if (label.isEmpty()) {
            label = documentLabel
                        ? m_db.FormatRowDisplay(TopicId::Documents,
                                                Int(TopicId::Codings, coding, CodingField::Document), false)
                        : Text(TopicId::Codes, Int(TopicId::Codings, coding, CodingField::Code), CodeField::Name);
        }
        return Add(TopicId::Codings, coding, label, Int(TopicId::Codings, coding, CodingField::Type));
    }
    void Link(qint32 source, qint32 target, qint32 width, quint32 colour)
    {
        if (source != 0 && target != 0 && source != target)
            m_canvas.Core().AddLink(source, target, 0, width, colour, false);
    }
    void CentreAt(qint32 id, const QPointF& point)
    {
        if (ModelObject* object = Object(id)) {
            object->Rect.x = float(point.x()) - object->Rect.width / 2;
            object->Rect.y = float(point.y()) - object->Rect.height / 2;
            object->NeedsLayout = true;
        }
    }
    /// The dropped object's centre, the top line and the radius for n
    /// ring objects of spacing s; the centre and the dropped object move
    /// down when the ring must grow.
    void Geometry(qint32 n, double spacing, bool kindThreeTop)
    {
        if (ModelObject* title = Object(m_settings.TitleObjectId))
            m_top = title->Rect.y + 2.5 * title->Rect.height + (kindThreeTop ? 0 : 100);
        else
            m_top = 0;
        m_radius = m_cy - m_top;
        const double grown = RingRadius(m_radius, n, spacing);
        if (grown != m_radius) {
            MoveDown(grown - m_radius);
            m_radius = grown;
        }
    }
    void MoveDown(double dy)
    {
        m_cy += dy;
        if (ModelObject* dropped = Object(m_settings.DroppedObjectId)) {
            dropped->Rect.y += float(dy);
            dropped->NeedsLayout = true;
        }
    }
    /// Memo objects; a memo whose row is gone is left out.
    void AddMemos(QList<Candidate>& memos)
    {
        for (Candidate& memo : memos)
            memo.object = AddMemo(memo.id);
        memos.removeIf([](const Candidate& memo) { return memo.object == 0; });
    }
    /// The memos in a row under the title; the ring makes room below it.
    void MemoRow(const QList<Candidate>& memos)
    {
        if (memos.isEmpty())
            return;
        MoveDown(kMemoRoom);
        const ModelObject* title = Object(m_settings.TitleObjectId);
        const double titleX = title ? title->Rect.CentreX() : 0;
        const double titleY = title ? title->Rect.y + 2.5 * title->Rect.height - 20 : -20;
        double x = titleX - (double(memos.size()) * kMemoStep - 35) / 2;
        for (const Candidate& memo : memos) {
            if (ModelObject* object = Object(memo.object)) {
                object->Rect.x = float(x);
                object->Rect.y = float(titleY);
                object->WrapFactor = 2;
                object->NeedsLayout = true;
            }
            x += kMemoStep;
        }
    }
    /// The codings, valued by the segment order, largest first, cut.
    void SortSegments(QList<Candidate>& segments) const
    {
        for (Candidate& segment : segments) {
            switch (m_settings.SegmentOrder) {
            case 0: segment.value = Int(TopicId::Codings, segment.id, CodingField::Weight); break;
            case 1:
                segment.value = Int(TopicId::Codings, segment.id, CodingField::FinishChar)
                              - Int(TopicId::Codings, segment.id, CodingField::StartChar) + 1;
                break;
            default: segment.value = 0; break;
            }
        }
        SortByValue(segments);
        CutTo(segments, m_settings.SegmentLimit);
    }
    /// Segments fanned out around a ring point, each linked to the code.
    void Fan(const QList<Candidate>& segments, qint32 codeObject, const QPointF& at, double theta, bool asSegments)
    {
        const QList<double> angles = FanAngles(theta, qint32(segments.size()));
        for (qsizetype j = 0; j < segments.size(); ++j) {
            const qint32 id = asSegments ? AddSegment(segments[j].id, false) : AddCode(segments[j].id);
            if (id == 0)
                continue;
            CentreAt(id, {at.x() + kFanRadius * std::cos(angles[j]), at.y() - kFanRadius * std::sin(angles[j])});
            Link(id, codeObject, 1, kBlack);
        }
    }
    /// The i-th of n codes on the ring, linked to the dropped object; its
    /// Id (0 when its row is gone), with its ring point and angle.
    qint32 RingCode(qint32 code, qint32 i, qint32 n, QPointF& at, double& theta)
    {
        const qint32 object = AddCode(code);
        if (object == 0)
            return 0;
        theta = i * kTwoPi / n;
        at = RingPoint(m_cx, m_cy, m_radius, theta);
        CentreAt(object, at);
        Link(object, m_settings.DroppedObjectId, 1, kBlack);
        return object;
    }
    QList<qint32> Codings(qint32 parentTopic, qint32 id) const
    {
        QList<qint32> keys;
        if (m_db.GetTable(TopicId::Codings))
            m_db.FindKeysByParent(TopicId::Codings, parentTopic, id, keys);
        return keys;
    }
    QList<qint32> Memos(qint32 parentTopic, qint32 id) const
    {
        QList<qint32> keys;
        if (m_db.GetTable(TopicId::Memos))
            m_db.FindKeysByParent(TopicId::Memos, parentTopic, id, keys);
        return keys;
    }
    /// Memos whose linked-codes list holds a code, from one reading of
    /// every memo.
    const QHash<qint32, QList<qint32>>& MemosByLinkedCode()
    {
        if (!m_linkedMemosRead) {
            m_linkedMemosRead = true;
            QList<qint32> memos;
            m_db.GetAllKeys(TopicId::Memos, memos);
            for (const qint32 memo : memos)
                for (const qint32 code : m_project.GetMemoCodes(memo))
                    m_linkedMemos[code].append(memo);
        }
        return m_linkedMemos;
    }

    void BuildDocumentRing();
    void BuildSegmentRing();
    void BuildSubcodeRing();
    void BuildCodeTree();
    void BuildCooccurrence();

    ModelerCanvas& m_canvas;
    CKorDoc& m_project;
    TopicDatabase& m_db;
    const ModelKindSettings& m_settings;
    qint32 m_dropped = 0;     ///< the dropped object's project id
    double m_cx = 0;
    double m_cy = 0;
    double m_top = 0;
    double m_radius = 0;
    bool m_linkedMemosRead = false;
    QHash<qint32, QList<qint32>> m_linkedMemos;
};

void Builder::Run()
{
    if (m_settings.Kind == ModelKind::CooccurrenceModel) {
        m_cx = m_settings.CentreX;
        m_cy = m_settings.CentreY;
        BuildCooccurrence();
        return;
    }
    const ModelObject* dropped = Object(m_settings.DroppedObjectId);
    if (!dropped)
        return;
    m_dropped = dropped->RefId;
    m_cx = dropped->Rect.CentreX();
    m_cy = dropped->Rect.CentreY();
    switch (m_settings.Kind) {
    case ModelKind::DocumentModel: BuildDocumentRing(); break;
    case ModelKind::CodeSegmentModel: BuildSegmentRing(); break;
    case ModelKind::CodeTreeModel: BuildCodeTree(); break;
    case ModelKind::SubcodeModel: BuildSubcodeRing(); break;
    default: break;
    }
}

void Builder::BuildDocumentRing()
{
    const qint32 document = m_dropped;
    QList<Candidate> memos;
    if (m_settings.IncludeMemos)
        for (const qint32 memo : Memos(TopicId::Documents, document))
            memos.append({TopicId::Memos, memo, 0, 0, 0});
    CutTo(memos, m_settings.MemoLimit);

    const QList<qint32> codings = Codings(TopicId::Documents, document);
    QList<Candidate> codes;
    QHash<qint32, qsizetype> codeAt;
    QHash<qint32, QList<Candidate>> segmentsOf;
    for (const qint32 coding : codings) {
        const qint32 code = Int(TopicId::Codings, coding, CodingField::Code);
        if (code == 0 || !HasRow(TopicId::Codes, code))
            continue;
        if (m_settings.OnlyActivatedCodes && !m_project.IsActivated(TopicId::Codes, code))
            continue;
        segmentsOf[code].append({TopicId::Codings, coding, 0, code, 0});
        const auto at = codeAt.constFind(code);
        if (at != codeAt.cend()) {
            ++codes[*at].value;
            continue;
        }
        codeAt.insert(code, codes.size());
        codes.append({TopicId::Codes, code, 1, Int(TopicId::Codes, code, CodeField::Parent), 0});
    }
    SortByValue(codes);
    CutTo(codes, m_settings.CodeLimit);
    qint32 lo = 0;
    qint32 hi = 0;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        lo = i == 0 ? codes[i].value : std::min(lo, codes[i].value);
        hi = i == 0 ? codes[i].value : std::max(hi, codes[i].value);
    }

    const qint32 documentObject = m_settings.DroppedObjectId;
    Geometry(qint32(codes.size()), 150, false);
    AddMemos(memos);
    MemoRow(memos);
    if (m_settings.WithParentCodes)
        std::stable_sort(codes.begin(), codes.end(), [](const Candidate& a, const Candidate& b) { return a.owner > b.owner; });

    const qint32 n = qint32(codes.size());
    const double step = n > 0 ? kTwoPi / n : 0;
    for (qint32 i = 0; i < n; ++i) {
        Candidate& code = codes[i];
        code.object = AddCode(code.id);
        if (code.object == 0)
            continue;
        const double theta = i * step;
        const QPointF at = RingPoint(m_cx, m_cy, m_radius, theta);
        CentreAt(code.object, at);
        Link(code.object, documentObject, LineWidth(code.value, lo, hi), kBlack);
        if (m_settings.IncludeSegments) {
            QList<Candidate> segments = segmentsOf.value(code.id);
            SortSegments(segments);
            Fan(segments, code.object, at, theta, true);
        }
    }

    if (!m_settings.WithParentCodes || n == 0)
        return;
    QSet<qint32> placed;
    for (const Candidate& code : codes)
        placed.insert(code.id);
    QList<qint32> parents;
    for (const Candidate& code : codes)
        if (code.owner != 0 && !placed.contains(code.owner) && !parents.contains(code.owner))
            parents.append(code.owner);
    std::sort(parents.begin(), parents.end(), std::greater<>());
    const double parentStep = parents.isEmpty() ? 0 : kTwoPi / double(parents.size());
    const double parentStart = (kTwoPi / n) / 3;
    for (qsizetype i = 0; i < parents.size(); ++i) {
        const qint32 object = AddCode(parents[i]);
        CentreAt(object, RingPoint(m_cx, m_cy, m_radius / 2, parentStart + double(i) * parentStep));
    }
    for (const Candidate& code : codes)
        if (code.owner != 0 && code.object != 0)
            Link(m_canvas.FindObjectByRef(TopicId::Codes, code.owner), code.object, 1, kBlack);
}

void Builder::BuildSegmentRing()
{
    const qint32 code = m_dropped;
    QList<Candidate> memos;
    if (m_settings.IncludeMemos) {
        QList<qint32> ids = Memos(TopicId::Codes, code);
        ids.append(MemosByLinkedCode().value(code));
        QSet<qint32> seen;
        for (const qint32 memo : ids)
            if (!seen.contains(memo)) {
                seen.insert(memo);
                memos.append({TopicId::Memos, memo, 0, 0, 0});
            }
        CutTo(memos, m_settings.MemoLimit);
    }
    QList<Candidate> segments;
    if (m_settings.IncludeSegments) {
        for (const qint32 coding : Codings(TopicId::Codes, code)) {
            const qint32 document = Int(TopicId::Codings, coding, CodingField::Document);
            if (!HasRow(TopicId::Documents, document))
                continue;
            if (m_settings.OnlyActivatedDocuments && !m_project.IsActivated(TopicId::Documents, document))
                continue;
            segments.append({TopicId::Codings, coding, 0, code, 0});
        }
        SortSegments(segments);
    }
    Geometry(qint32(segments.size()), 30, true);
    AddMemos(memos);
    MemoRow(memos);
    const qint32 n = qint32(segments.size());
    for (qint32 i = 0; i < n; ++i) {
        const qint32 object = AddSegment(segments[i].id, true);
        if (object == 0)
            continue;
        CentreAt(object, RingPoint(m_cx, m_cy, m_radius, i * kTwoPi / n));
        Link(object, m_settings.DroppedObjectId, 1, kBlack);
    }
}

void Builder::BuildSubcodeRing()
{
    QList<qint32> ids;
    m_project.CollectSubcodes(m_dropped, ids, m_settings.OnlyActivatedCodes, 0);
    QList<Candidate> subcodes;
    QHash<qint32, QList<qint32>> codingsOf;
    for (const qint32 id : ids) {
        QList<qint32> codings = Codings(TopicId::Codes, id);
        subcodes.append({TopicId::Codes, id, qint32(codings.size()), m_dropped, 0});
        codingsOf.insert(id, std::move(codings));
    }
    SortByValue(subcodes);
    Geometry(qint32(subcodes.size()), 150, false);
    const qint32 n = qint32(subcodes.size());
    for (qint32 i = 0; i < n; ++i) {
        QPointF at;
        double theta = 0;
        const qint32 object = RingCode(subcodes[i].id, i, n, at, theta);
        if (object == 0 || !m_settings.IncludeSegments)
            continue;
        QList<Candidate> segments;
        for (const qint32 coding : codingsOf.value(subcodes[i].id)) {
            // A coding whose document cannot be read still counts.
            const qint32 document = Int(TopicId::Codings, coding, CodingField::Document);
            if (m_settings.OnlyActivatedDocuments && HasRow(TopicId::Documents, document)
                && !m_project.IsActivated(TopicId::Documents, document))
                continue;
            segments.append({TopicId::Codings, coding, 0, subcodes[i].id, 0});
        }
        SortSegments(segments);
        Fan(segments, object, at, theta, true);
    }
}

void Builder::BuildCodeTree()
{
    const qint32 code = m_dropped;
    const bool onlyActivated = m_settings.OnlyActivatedCodes;
    const auto children = [&](qint32 parent) {
        QList<qint32> ids;
        m_project.GetChildCodes(parent, ids);
        if (onlyActivated)
            ids.removeIf([&](qint32 id) { return !m_project.IsActivated(TopicId::Codes, id); });
        return ids;
    };
    QList<Candidate> first;
    QHash<qint32, QList<Candidate>> second;
    if (m_settings.SubcodeLevels >= 1) {
        for (const qint32 id : children(code))
            first.append({TopicId::Codes, id, 0, code, 0});
        if (m_settings.SubcodeLevels == 2) {
            for (Candidate& sub : first) {
                QList<qint32> all;
                m_project.GetChildCodes(sub.id, all);
                sub.value = qint32(all.size());
            }
            SortByValue(first);
            for (const Candidate& sub : first) {
                if (sub.value == 0)
                    continue;
                QList<Candidate>& below = second[sub.id];
                for (const qint32 id : children(sub.id))
                    below.append({TopicId::Codes, id, 0, sub.id, 0});
                CutTo(below, m_settings.SegmentLimit);
            }
        }
    }

    // Memos of the code and of every collected subcode, each with the codes
    // it was found for.
    QList<qint32> collected{code};
    for (const Candidate& sub : first) {
        collected.append(sub.id);
        for (const Candidate& below : second.value(sub.id))
            collected.append(below.id);
    }
    QList<Candidate> memos;
    QHash<qint32, QList<qint32>> foundFor;
    const auto take = [&](qint32 memo, qint32 forCode) {
        QList<qint32>& codes = foundFor[memo];
        if (codes.isEmpty())
            memos.append({TopicId::Memos, memo, 0, 0, 0});
        if (!codes.contains(forCode))
            codes.append(forCode);
    };
    for (const qint32 id : collected) {
        for (const qint32 memo : MemosByLinkedCode().value(id))
            take(memo, id);
        if (m_settings.IncludeMemos)
            for (const qint32 memo : Memos(TopicId::Codes, id))
                take(memo, id);
    }
    for (Candidate& memo : memos) {
        switch (m_settings.MemoOrder) {
        case 0: {
            FieldValue value;
            RowBuffer row;
            QDate date;
            QTime time;
            const bool read = m_db.ReadRow(TopicId::Memos, memo.id, row, false)
                           && row.GetFieldValue(MemoField::Date, value) && value.GetDate().IsValid()
                           && DateTimeFromOleDays(value.GetDate().value, date, time);
            memo.value = read ? date.year() * 10000 + date.month() * 100 + date.day() : -10101;
            break;
        }
        case 1: memo.value = qint32(Text(TopicId::Memos, memo.id, MemoField::Text).size()); break;
        default: memo.value = 0; break;
        }
    }
    SortByValue(memos);
    CutTo(memos, m_settings.MemoLimit);

    const bool memoRow = m_settings.SubcodeLevels == 2;
    Geometry(qint32(first.size()), 150, false);
    AddMemos(memos);
    if (memoRow) {
        MemoRow(memos);
    } else {
        const qint32 m = qint32(memos.size());
        for (qint32 i = 0; i < m; ++i)
            CentreAt(memos[i].object, RingPoint(m_cx, m_cy, m_radius + kOuterRingGap, i * kTwoPi / m));
    }
    const qint32 n = qint32(first.size());
    for (qint32 i = 0; i < n; ++i) {
        QPointF at;
        double theta = 0;
        const qint32 object = RingCode(first[i].id, i, n, at, theta);
        if (object == 0)
            continue;
        Fan(second.value(first[i].id), object, at, theta, false);
    }
    for (const Candidate& memo : memos)
        for (const qint32 forCode : foundFor.value(memo.id))
            Link(memo.object, m_canvas.FindObjectByRef(TopicId::Codes, forCode), 1, kBlack);
}

void Builder::BuildCooccurrence()
{
    struct Dropped {
        qint32 code = 0;
        qint32 object = 0;
    };
    QList<Dropped> dropped;
    for (const qint32 objectId : m_settings.DroppedIds)
        if (const ModelObject* object = Object(objectId); object && object->RefTopic == TopicId::Codes)
            dropped.append({object->RefId, objectId});
    if (dropped.isEmpty())
        return;
    QHash<qint32, qint32> droppedObject;
    for (const Dropped& d : dropped)
        droppedObject.insert(d.code, d.object);

    struct Found {
        qint32 code = 0;
        qint32 droppedCode = 0;
    };
    QList<Found> subcodes;
    QList<Found> cooccurring;
    QList<qint32> all;
    for (const Dropped& d : dropped) {
        if (m_settings.SubcodeLevels >= 1) {
            QList<qint32> ids;
            m_project.CollectSubcodes(d.code, ids, m_settings.OnlyActivatedCodes, m_settings.SubcodeLevels);
            for (const qint32 id : ids)
                subcodes.append({id, d.code});
            all.append(ids);
        }
        QList<qint32> ids;
        m_project.CollectCooccurringCodes(d.code, ids, m_settings.MinCooccurrence, m_settings.WeightFloor,
                                          m_settings.WeightCeiling);
        for (const qint32 id : ids)
            cooccurring.append({id, d.code});
        all.append(ids);
    }
    QSet<qint32> distinct(all.cbegin(), all.cend());
    Geometry(qint32(distinct.size()), 150, false);

    const qint32 count = qint32(dropped.size());
    for (qint32 i = 0; i < count; ++i) {
        const double theta = i * kTwoPi / count;
        const QPointF at = count == 1 ? QPointF(m_cx, m_cy)
                                      : QPointF(m_cx + 0.45 * m_radius * std::cos(theta),
                                                m_cy - 0.45 * m_radius * std::sin(theta));
        CentreAt(dropped[i].object, at);
    }

    QSet<qint32> newSubcodes;
    for (const Found& found : subcodes)
        if (!droppedObject.contains(found.code))
            newSubcodes.insert(found.code);
    const qint32 m = qint32(newSubcodes.size());
    const double subStep = m > 0 ? kTwoPi / m : 0;
    double theta = m > 0 ? std::numbers::pi / m : 0;
    for (const Found& found : subcodes) {
        qint32 object = droppedObject.value(found.code);
        if (object == 0) {
            const bool isNew = m_canvas.FindObjectByRef(TopicId::Codes, found.code) == 0;
            object = AddCode(found.code);
            if (object != 0 && isNew) {
                CentreAt(object, RingPoint(m_cx, m_cy, m_radius, theta));
                theta += subStep;
            }
        }
        Link(object, droppedObject.value(found.droppedCode), 1, kSubcodeLine);
    }

    const double outerStep = distinct.isEmpty() ? 0 : kTwoPi / double(distinct.size());
    theta = 0;
    for (const Found& found : cooccurring) {
        const bool isNew = m_canvas.FindObjectByRef(TopicId::Codes, found.code) == 0;
        const qint32 object = AddCode(found.code);
        if (object != 0 && isNew) {
            CentreAt(object, RingPoint(m_cx, m_cy, m_radius + kOuterRingGap, theta));
            theta += outerStep;
        }
        Link(object, droppedObject.value(found.droppedCode), 1, kBlack);
    }
}

}  // namespace

void Build(ModelerCanvas& canvas, CKorDoc& project, const ModelKindSettings& settings)
{
    Builder(canvas, project, settings).Run();
    canvas.Redraw();
}

qint32 LineWidth(qint32 value, qint32 lo, qint32 hi)
{
    // Equal counts leave no range to scale: the thinnest line.
    if (hi <= lo)
        return 1;
    const qint32 width = qint32(std::trunc(double(value - lo) / (double(hi - lo) / 7.0) + 0.5));
    return std::clamp(width, 1, 7);
}

double RingRadius(double r, qint32 n, double spacing)
{
    return kTwoPi * r < n * spacing ? n * spacing / kTwoPi : r;
}

QPointF RingPoint(double cx, double cy, double r, double theta)
{
    return {cx + 1.5 * r * std::cos(theta), cy - r * std::sin(theta)};
}

QList<double> FanAngles(double theta, qint32 k)
{
    QList<double> angles;
    if (k <= 0)
        return angles;
    const double step = kFanSpread / k;
    double angle = theta - ((k - 1) / 2) * step - (k % 2 == 0 ? step / 2 : 0);
    for (qint32 j = 0; j < k; ++j, angle += step)
        angles.append(angle);
    return angles;
}

}  // namespace ModelBuilder
