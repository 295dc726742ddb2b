#include "retrieval/retrievalengine.h"

#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/optionsrecord.h"
#include "retrieval/projectrows.h"
#include "retrieval/segmentrows.h"
#include "retrieval/segmenttexts.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QScopedValueRollback>
#include <QSet>

#include <unordered_set>
#include <vector>

namespace retrieval {

namespace {

/// The code a function relates the other codes to; 0 for none.
qint32 FunctionCode(const OptionsRecord& settings)
{
    switch (settings.retrievalFunction) {
    case OnlyCode: return settings.codeA;
    case Enclosing: return settings.enclosingCode;
    case NotOverlapping: return settings.excludedCode;
    case FollowedBy: return settings.followingCode;
    case Near: return settings.nearCode;
    default: return 0;
    }
}

/// The codes whose codings are collected: the list without the function
/// code and without repeats; with subcodes, also without the codes reached
/// through a listed ancestor or through the function code, so that no
/// coding is collected twice.
QList<qint32> WorkingList(const ProjectRows& project, const OptionsRecord& settings, qint32 functionCode,
                          const QList<qint32>& codes)
{
    QList<qint32> list = codes;
    list.removeAll(functionCode);
    UniqueDWordArray(list);
    if (settings.l4) {
        const QSet<qint32> listed(list.begin(), list.end());
        const QSet<qint32> function = {functionCode};
        list.removeIf([&](qint32 code) {
            return project.HasListedAncestor(code, listed) ||
                   (functionCode != 0 && project.HasListedAncestor(code, function));
        });
    }
    return list;
}

/// Turns accepted codings into rows.
class Collector {
public:
    /// Fills rows, emptied first; their room is kept and grows geometrically.
    Collector(const ProjectRows& project, const OptionsRecord& settings, qint32 functionCode, CSegmentArray& rows)
        : m_project(project), m_settings(settings), m_functionCode(functionCode),
          m_threshold(settings.retrievalFunction == Plain ? 0 : 1), m_rows(rows)
    {
        m_rows.Clear();
        ReserveRows(m_rows, 65536);
    }

    /// Only codings of these documents pass where the filter applies.
    void SetDocumentFilter(std::unordered_set<qint32> documents)
    {
        m_documents = std::move(documents);
        m_filtered = true;
    }

    /// The codings of code, then with subcodes those of its descendants,
    /// as rows of owner with the code order given.
    void AddCode(qint32 code, qint32 owner, qint32 codeOrder, bool documentFilter)
    {
        AddCodings(code, owner, codeOrder, documentFilter);
        if (!m_settings.l4)
            return;
        QSet<qint32> visited{code};
        AddDescendants(code, owner, codeOrder, documentFilter, visited);
    }

private:
    void AddDescendants(qint32 parent, qint32 owner, qint32 codeOrder, bool documentFilter, QSet<qint32>& visited)
    {
        for (const qint32 child : m_project.ChildCodes(parent)) {
            // The function code's subtree is collected as the function code's.
            if ((child == m_functionCode && owner != m_functionCode) || visited.contains(child))
                continue;
            visited.insert(child);
            AddCodings(child, owner, codeOrder, documentFilter);
            AddDescendants(child, owner, codeOrder, documentFilter, visited);
        }
    }

    void AddCodings(qint32 code, qint32 owner, qint32 codeOrder, bool documentFilter)
    {
        CodingValues values;
        for (const auto& [coding, data] : m_project.CodingRowsOfCode(code)) {
            qint32 documentOrder = 0;
            m_project.ReadCodingRow(data, values);
            if (!Accept(values, documentFilter, documentOrder))
                continue;
            CSegmentRow row;
            row.coding = coding;
            row.document = values.document;
            row.documentOrder = documentOrder;
            row.code = owner;
            row.codeOrder = codeOrder;
            row.start = row.outerStart = values.start;
            row.end = row.outerEnd = values.end;
            row.firstParagraph = values.firstParagraph;
            row.lastParagraph = values.lastParagraph;
            row.weight = values.weight;
            row.areaLeft = values.areaLeft;
            row.areaRight = values.areaRight;
            row.page = values.page;
            row.textFlag = values.isText;
            m_rows.Add(row);
        }
    }

    bool Accept(const CodingValues& values, bool documentFilter, qint32& documentOrder)
    {
        if (m_settings.weightFilter &&
            (values.weight < m_settings.weightMinimum || values.weight > m_settings.weightMaximum))
            return false;
        if (values.isText < m_threshold)
            return false;
        if (documentFilter && m_filtered && !m_documents.count(values.document))
            return false;
        // Document keys are small and dense: a table by key, not a hash.
        if (values.document < 0 || values.document > kMaxDocumentSlot)
            return m_project.IsDocumentActivated(values.document, &documentOrder);
        const size_t slot = size_t(values.document);
        if (slot >= m_activation.size())
            m_activation.resize(slot + 1);
        DocumentState& state = m_activation[slot];
        if (!state.known) {
            state.activated = m_project.IsDocumentActivated(values.document, &state.order);
            state.known = true;
        }
        documentOrder = state.order;
        return state.activated;
    }

    struct DocumentState {
        bool known = false;
        bool activated = false;
        qint32 order = 0;
    };
    static constexpr qint32 kMaxDocumentSlot = 1 << 24;

    const ProjectRows& m_project;
    const OptionsRecord& m_settings;
    qint32 m_functionCode;
    qint32 m_threshold;  // functions other than 0 retrieve text codings only
    bool m_filtered = false;
    std::unordered_set<qint32> m_documents;
    std::vector<DocumentState> m_activation;  // by document key
    CSegmentArray& m_rows;
};

/// The documents holding a coding of the code, each once.
std::unordered_set<qint32> DocumentsWithCode(const ProjectRows& project, qint32 code)
{
    std::unordered_set<qint32> documents;
    CodingValues values;
    for (const qint32 coding : project.CodingsOfCode(code)) {
        if (project.ReadCoding(coding, values))
            documents.insert(values.document);
    }
    return documents;
}

qint32 CountExistingCodes(const ProjectRows& project, const QList<qint32>& codes)
{
    qint32 count = 0;
    for (const qint32 code : codes)
        count += project.HasCode(code) ? 1 : 0;
    return count;
}

}  // namespace

QList<qint32> RetrievalEngine::CollectActivatedCodes(const TopicDatabase& db)
{
    const ProjectRows project(db);
    QList<qint32> codes;
    for (const qint32 code : project.AllCodes()) {
        if (project.IsCodeActivated(code))
            codes.append(code);
    }
    return codes;
}

CSegmentArray RetrievalEngine::CollectRetrievalRows(const TopicDatabase& db, const OptionsRecord& settings,
                                                    qint32 functionCode, const QList<qint32>& codes)
{
    CSegmentArray rows;
    CollectRetrievalRows(db, settings, functionCode, codes, rows);
    return rows;
}

void RetrievalEngine::CollectRetrievalRows(const TopicDatabase& db, const OptionsRecord& settings,
                                           qint32 functionCode, const QList<qint32>& codes, CSegmentArray& rows)
{
    const ProjectRows project(db);
    Collector collector(project, settings, functionCode, rows);
    if (settings.retrievalFunction == Plain && settings.documentCode != 0)
        collector.SetDocumentFilter(DocumentsWithCode(project, settings.documentCode));
    for (const qint32 code : WorkingList(project, settings, functionCode, codes)) {
        if (project.HasCode(code))
            collector.AddCode(code, code, project.CodeOrder(code), true);
    }
    if (project.HasCode(functionCode))
        collector.AddCode(functionCode, functionCode, -project.CodeOrder(functionCode), false);
}

CSegmentArray RetrievalEngine::Retrieve(const TopicDatabase& db, const OptionsRecord& settings,
                                        qint32* activatedCodes)
{
    CSegmentArray result;
    Retrieve(db, settings, result, activatedCodes);
    return result;
}

void RetrievalEngine::Retrieve(const TopicDatabase& db, const OptionsRecord& settings, CSegmentArray& result,
                               qint32* activatedCodes)
{
    const QList<qint32> activated = CollectActivatedCodes(db);
    if (activatedCodes)
        *activatedCodes = qint32(activated.size());
    const qint32 function = settings.retrievalFunction;
    const qint32 functionCode = FunctionCode(settings);
    const QList<qint32> codes =
        function == Plain ? activated : QList<qint32>(settings.codeIds.begin(), settings.codeIds.end());
    // Plain rows are the result itself; the functions read collected rows
    // and write the result.
    CSegmentArray collected;
    CSegmentArray& rows = function == Plain ? result : collected;
    CollectRetrievalRows(db, settings, functionCode, codes, rows);

    if (function == Plain)
        SortRows(rows, settings.sortOrder);
    else if (function >= Intersection && function <= AtLeast)
        SortRows(rows, ByDocument);
    else
        SortRows(rows, ByCode);

    if (&rows != &result) {
        result.Clear();
        ReserveRows(result, rows.GetSize());
    }
    switch (function) {
    case Intersection:
    case IntersectionOuter: {
        const ProjectRows project(db);
        BuildIntersections(rows, CountExistingCodes(project, WorkingList(project, settings, 0, codes)), result);
        break;
    }
    case AtLeast: BuildIntersections(rows, settings.minCount, result); break;
    case NoOverlap: RemoveOverlappingRows(rows, result); break;
    case OnlyCode: RetrieveOnlyCode(rows, functionCode, result); break;
    case Enclosing: RetrieveEnclosing(rows, functionCode, settings.enclosingVariant, result); break;
    case NotOverlapping: RetrieveNotOverlapping(rows, functionCode, result); break;
    case FollowedBy:
        RetrieveFollowing(rows, functionCode, settings.followingDistance, settings.followingVariant, result);
        break;
    case Near: RetrieveNear(rows, functionCode, settings.nearDistance, settings.nearVariant, result); break;
    default:
        if (&rows != &result)
            result = std::move(rows);
        break;
    }
    if (function == IntersectionOuter || function == AtLeast) {
        for (CSegmentRow& row : result) {
            row.code = 0;
            if (function == IntersectionOuter) {
                row.start = row.outerStart;
                row.end = row.outerEnd;
            }
        }
    }
    const bool removesDuplicates = function == Intersection || function == IntersectionOuter ||
                                   function == AtLeast || (function >= Enclosing && function <= Near);
    if (removesDuplicates)
        retrieval::RemoveDuplicateRows(result);
    if (function >= Enclosing && function <= Near)
        SortRows(result, settings.sortOrder);
}

qint32 RetrievalEngine::RunRetrieval(CKorDoc& doc, const OptionsRecord& settings, qint32 flag)
{
    TopicDatabase& db = doc.GetDatabase();
    // The rows of the last run are dropped, their room kept: a run of
    // similar size then touches no fresh memory. A run started by a window
    // while it hears of this run's rows takes rows of its own.
    CSegmentArray ownRows;
    CSegmentArray& result = m_rowsInUse ? ownRows : m_rows;
    const QScopedValueRollback inUse(m_rowsInUse, true);
    if (flag != 0) {
        Retrieve(db, settings, result);
        const qint32 count = qint32(result.GetSize());
        result.Clear();
        return count;
    }

    // The previous result goes first, so that no pane shows a segment of
    // it while the new one is built.
    doc.GetRegistry().NotifyDeleted(TopicId::Codings, 0);
    doc.ClearSegmentCodings();
    qint32 activatedCodes = 0;
    Retrieve(db, settings, result, &activatedCodes);

    // Combined segments are no codings of their own: they become result
    // segments in memory, with their text and their code for display.
    qint32 topic = TopicId::Codings;
    const qint32 function = settings.retrievalFunction;
    if (function >= Intersection && function <= OnlyCode && !result.IsEmpty()) {
        QList<QByteArray> texts;
        std::vector<ParagraphPair> paragraphs;
        ReadSegmentTexts(db, result, texts, &paragraphs);
        for (qsizetype i = 0; i < result.GetSize(); ++i)
            doc.AddSegmentCoding(result[i], texts[i], paragraphs[size_t(i)].first, paragraphs[size_t(i)].second);
        topic = TopicId::RetrievedSegments;
    }
    const qint32 count = qint32(result.GetSize());
    QList<quint32> ids;
    ids.reserve(count);
    for (const CSegmentRow& row : result)
        ids.append(quint32(row.coding));
    result.Clear();
    if (!ids.isEmpty())
        doc.GetRegistry().NotifyAddedMany(topic, ids, TopicId::Codings, -1);
    doc.SetRetrievalCounters(activatedCodes, count);
    return count;
}

void RetrievalEngine::SortRetrievedSegments(const OptionsRecord* settings, CSegmentArray& rows, qint32 key)
{
    if (key == 0) {
        if (!settings)
            return;
        key = settings->sortOrder;
    }
    SortRows(rows, key);
}

void RetrievalEngine::RemoveDuplicateRows(CSegmentArray& rows)
{
    retrieval::RemoveDuplicateRows(rows);
}

void RetrievalEngine::GetSegmentTexts(CKorDoc& doc, const CSegmentArray& rows, QList<QByteArray>& texts)
{
    ReadSegmentTexts(doc.GetDatabase(), rows, texts);
}

}  // namespace retrieval
