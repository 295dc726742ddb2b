// Coder agreement by segments: the codings of two documents that two coders
// coded from one text, compared coding by coding, into the memory-only
// comparison and agreement tables.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/rowfields.h"
#include "store/storeids.h"

#include <QHash>

using namespace rowfields;

namespace {

/// Fields of the comparison rows (topic 29).
namespace ComparisonField {
enum : qint32 {
    Type = 1,  ///< 1: no partner found
    Document = 2,
    Code = 3,
    InFirst = 4,
    InSecond = 5,
    Agreement = 6,
    FirstCoding = 7,
    SecondCoding = 8,
    StartPara = 9,
    FinishPara = 10,
};
}
/// Fields of the agreement rows (topic 30).
namespace AgreementField {
enum : qint32 { Code = 2, Agreements = 3, Disagreements = 4, Total = 5, Percentage = 6 };
}

struct Segment {
    qint32 coding = 0;
    qint32 code = 0;
    qint32 page = 0;
    qint32 start = 0;
    qint32 finish = 0;
    qint32 left = 0;
    qint32 right = 0;
    bool isText = true;
    qint32 startPara = 0;
    qint32 finishPara = 0;
};

/// Overlap over union, in whole percent, reaches the minimum. Text codings
/// compare their ranges; area codings their rectangles, so that areas side
/// by side on the same lines do not agree. A text and an area never agree.
bool Overlaps(const Segment& a, const Segment& b, qint32 minimum)
{
    if (a.isText != b.isText)
        return false;
    const qint64 height = qint64(std::min(a.finish, b.finish)) - std::max(a.start, b.start);
    if (a.isText) {
        const qint64 span = qint64(std::max(a.finish, b.finish)) - std::min(a.start, b.start);
        return height > 0 && span > 0 && height * 100 / span >= minimum;
    }
    const qint64 width = qint64(std::min(a.right, b.right)) - std::max(a.left, b.left);
    if (height <= 0 || width <= 0)
        return false;
    const auto area = [](const Segment& s) {
        return std::abs(qint64(s.right) - s.left) * std::abs(qint64(s.finish) - s.start);
    };
    const qint64 common = height * width;
    const qint64 both = area(a) + area(b) - common;
    return both > 0 && common * 100 / both >= minimum;
}

/// The codings of the document whose code is listed, in store order;
/// codings that cannot be read are skipped.
QList<Segment> ReadSegments(TopicDatabase& db, qint32 document, const QList<qint32>& codes)
{
    QList<Segment> segments;
    QList<qint32> codings;
    db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
    for (const qint32 coding : std::as_const(codings)) {
        RowBuffer row;
        if (!db.ReadRow(TopicId::Codings, coding, row, false))
            continue;
        const qint32 code = IntOf(row, CodingField::Code);
        if (!codes.contains(code))
            continue;
        segments.append({coding, code, IntOf(row, CodingField::Page), IntOf(row, CodingField::StartChar),
                         IntOf(row, CodingField::FinishChar), IntOf(row, CodingField::PosX1),
                         IntOf(row, CodingField::PosX2), IntOf(row, CodingField::IsText) != 0,
                         IntOf(row, CodingField::StartPara), IntOf(row, CodingField::FinishPara)});
    }
    return segments;
}

}  // namespace

bool CKorDoc::CompareCoderSegments(qint32 first, qint32 second, const QList<qint32>& codes, qint32 minimumOverlap)
{
    const TopicTable* documents = d->m_db.GetTable(TopicId::Documents);
    TopicTable* comparison = d->m_db.GetTable(TopicId::CoderComparison);
    TopicTable* agreement = d->m_db.GetTable(TopicId::CoderAgreement);
    // One document against itself would agree with itself everywhere.
    if (first == second || !documents || !comparison || !agreement || !documents->HasKey(first) ||
        !documents->HasKey(second))
        return false;
    // A second comparison replaces the first.
    comparison->ClearRows();
    agreement->ClearRows();

    const QList<Segment> firstSegments = ReadSegments(d->m_db, first, codes);
    const QList<Segment> secondSegments = ReadSegments(d->m_db, second, codes);
    QHash<qint32, std::pair<qint32, qint32>> counts;  // code -> agreements, disagreements
    const auto compareSide = [&](const QList<Segment>& own, const QList<Segment>& other, bool fromFirst) {
        for (const Segment& a : own) {
            qint32 partner = 0;
            for (const Segment& b : other) {
                if (b.code == a.code && b.page == a.page && Overlaps(a, b, minimumOverlap)) {
                    partner = b.coding;
                    break;
                }
            }
            const bool found = partner != 0;
            auto& [agreements, disagreements] = counts[a.code];
            ++(found ? agreements : disagreements);
            CreateRow(TopicId::CoderComparison, [&](RowBuffer& row, qint32) {
                return SetInt(row, ComparisonField::Type, found ? 0 : 1) &&
                       SetInt(row, ComparisonField::Document, fromFirst ? first : second) &&
                       SetInt(row, ComparisonField::Code, a.code) &&
                       SetInt(row, ComparisonField::InFirst, fromFirst || found) &&
                       SetInt(row, ComparisonField::InSecond, !fromFirst || found) &&
                       SetInt(row, ComparisonField::Agreement, found) &&
                       SetInt(row, ComparisonField::FirstCoding, fromFirst ? a.coding : (found ? partner : first)) &&
                       SetInt(row, ComparisonField::SecondCoding, fromFirst ? (found ? partner : second) : a.coding) &&
                       SetInt(row, ComparisonField::StartPara, a.startPara) &&
                       SetInt(row, ComparisonField::FinishPara, a.finishPara);
            });
        }
    };
    compareSide(firstSegments, secondSegments, true);
    compareSide(secondSegments, firstSegments, false);

    qint32 allAgreements = 0;
    qint32 allDisagreements = 0;
    const auto addAgreementRow = [&](qint32 code, qint32 agreements, qint32 disagreements) {
        const qint32 total = agreements + disagreements;
        CreateRow(TopicId::CoderAgreement, [&](RowBuffer& row, qint32) {
            return SetInt(row, AgreementField::Code, code) && SetInt(row, AgreementField::Agreements, agreements) &&
                   SetInt(row, AgreementField::Disagreements, disagreements) &&
                   SetInt(row, AgreementField::Total, total) &&
                   (total == 0 || SetReal(row, AgreementField::Percentage, double(agreements * 100 / total)));
        });
    };
    for (const qint32 code : codes) {
        const auto [agreements, disagreements] = counts.value(code);
        addAgreementRow(code, agreements, disagreements);
        allAgreements += agreements;
        allDisagreements += disagreements;
    }
    addAgreementRow(0, allAgreements, allDisagreements);
    return true;
}
