#pragma once

// A small hand-made project for the retrieval engine, with the engine
// registered. Positions, paragraphs and weights are chosen so that every
// function's result can be worked out by hand:
//
// D1 rich text, 12 paragraphs "Lnn-abcde" (ten positions each with the
//    paragraph end), so paragraph n covers [10(n-1), 10n):
//    a1 A [0,20) p1-2 w50    b1 B [10,30) p2-3 w50   c1 C [18,22) p2-3 w50
//    a2 A [50,60) p6 w10     b2 B [15,25) p2-3 w90   c2 C [60,70) p7 w50 (touches a2)
//    s1 A1 [52,58) p6 w50    b3 B [100,110) p11 w30
// D2 rich text:  a3 A [0,10) p1, b4 B [10,20) p2 (touches a3), c3 C [40,50) p5
// D3 PDF, page 1 "Alpha beta" / "Gamma delta", page 2 "Second page":
//    a4 A p1 [0,20), b6 B p1 [12,17) ("Gamma"), b5 B p2 [0,10),
//    x1 A p1 area [100,200) (not text)
// D4 not activated: a5 A [0,10), b7 B [0,10)
// Codes A, B, C (activated, Index 1, 2, 3) and A1 (child of A, Index 1,
// not activated). Weights are 50 unless given.

#include "common/pdfbuilder.h"
#include "document/docfixture.h"
#include "retrieval/projectrows.h"
#include "retrieval/retrievalengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QMap>

namespace retrievaltest {

using doctest::FieldValues;

class RetrievalTest : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        doc.SetRetrievalService(&engine);
        NewProject();
        Build();
        log.Take();
    }

    qint32 Document(const QString& name, qint32 index, bool activated, const QByteArray& content, qint32 kind)
    {
        return doctest::AddRow(db(), TopicId::Documents,
                               {{DocumentField::GroupID, group},
                                {DocumentField::Name, name},
                                {retrieval::kIndexField, index},
                                {DocumentField::State, activated ? ObjectState::Activated : 0},
                                {DocumentField::DocType, kind},
                                {DocumentField::Text, content}});
    }
    qint32 Code(const QString& name, qint32 parent, qint32 index, bool activated, qint32 color)
    {
        return doctest::AddRow(db(), TopicId::Codes,
                               {{5, name},
                                {CodeField::Parent, parent},
                                {retrieval::kIndexField, index},
                                {CodeField::State, activated ? ObjectState::Activated : 0},
                                {CodeField::Type, color}});
    }
    /// A coding named label; paragraphs, weight, page and text flag given.
    qint32 Coding(const char* label, qint32 document, qint32 code, qint32 start, qint32 end, qint32 firstPara,
                  qint32 lastPara, qint32 weight = 50, qint32 page = 0, bool text = true)
    {
        using namespace retrieval::CodingExtraField;
        const qint32 id = AddCoding(document, code, start, end,
                                    {{CodingField::StartPara, firstPara},
                                     {CodingField::FinishPara, lastPara},
                                     {Weight, weight},
                                     {Page, page},
                                     {CodingField::IsText, text ? 1 : 0}});
        labels.insert(id, QString::fromLatin1(label));
        return id;
    }

    void Build()
    {
        group = AddGroup(QStringLiteral("G"));
        QStringList paragraphs;
        for (int n = 1; n <= 12; ++n)
            paragraphs << QStringLiteral("L%1-abcde").arg(n, 2, 10, QLatin1Char('0'));
        pdf = testutil::MakePdf(QSizeF(400, 300),
                                {testutil::TextLines({QStringLiteral("Alpha beta"), QStringLiteral("Gamma delta")}),
                                 testutil::TextLines({QStringLiteral("Second page")})});
        d1 = Document(QStringLiteral("D1"), 1, true, doctest::RtfOf(paragraphs), DocumentKind::RichText);
        d2 = Document(QStringLiteral("D2"), 2, true, doctest::RtfOf({QStringLiteral("x")}), DocumentKind::RichText);
        d3 = Document(QStringLiteral("D3"), 3, true, pdf, DocumentKind::Pdf);
        d4 = Document(QStringLiteral("D4"), 4, false, doctest::RtfOf({QStringLiteral("y")}), DocumentKind::RichText);
        codeA = Code(QStringLiteral("A"), 0, 1, true, 0);
        codeB = Code(QStringLiteral("B"), 0, 2, true, 2);
        codeC = Code(QStringLiteral("C"), 0, 3, true, 0x123456);
        codeA1 = Code(QStringLiteral("A1"), codeA, 1, false, 4);
        codeNames = {{codeA, QStringLiteral("A")}, {codeB, QStringLiteral("B")}, {codeC, QStringLiteral("C")},
                     {codeA1, QStringLiteral("A1")}, {0, QStringLiteral("0")}};
        documentNames = {{d1, QStringLiteral("D1")}, {d2, QStringLiteral("D2")}, {d3, QStringLiteral("D3")},
                         {d4, QStringLiteral("D4")}};

        Coding("a1", d1, codeA, 0, 20, 1, 2);
        Coding("a2", d1, codeA, 50, 60, 6, 6, 10);
        Coding("b1", d1, codeB, 10, 30, 2, 3);
        Coding("b2", d1, codeB, 15, 25, 2, 3, 90);
        Coding("b3", d1, codeB, 100, 110, 11, 11, 30);
        Coding("c1", d1, codeC, 18, 22, 2, 3);
        Coding("c2", d1, codeC, 60, 70, 7, 7);
        Coding("s1", d1, codeA1, 52, 58, 6, 6);
        Coding("a3", d2, codeA, 0, 10, 1, 1);
        Coding("b4", d2, codeB, 10, 20, 2, 2);
        Coding("c3", d2, codeC, 40, 50, 5, 5);
        Coding("a4", d3, codeA, 0, 20, 1, 1, 50, 1);
        Coding("b6", d3, codeB, 12, 17, 1, 1, 50, 1);
        Coding("b5", d3, codeB, 0, 10, 1, 1, 50, 2);
        Coding("x1", d3, codeA, 100, 200, 9, 9, 50, 1, false);
        Coding("a5", d4, codeA, 0, 10, 1, 1);
        Coding("b7", d4, codeB, 0, 10, 1, 1);
    }

    /// Each row as the label of its coding, or for a combined segment as
    /// "document[pPage]:code:start-end".
    QString Describe(const CSegmentArray& rows) const
    {
        QStringList parts;
        for (const CSegmentRow& row : rows) {
            const bool asCoded = row.code != 0 && row.start == Field(row.coding, CodingField::StartChar) &&
                                 row.end == Field(row.coding, CodingField::FinishChar);
            if (labels.contains(row.coding) && asCoded) {
                parts << labels.value(row.coding);
                continue;
            }
            QString place = documentNames.value(row.document);
            if (row.page > 0)
                place += QStringLiteral("p%1").arg(row.page);
            parts << QStringLiteral("%1:%2:%3-%4").arg(place, codeNames.value(row.code)).arg(row.start).arg(row.end);
        }
        return parts.join(QLatin1Char(' '));
    }
    qint32 Field(qint32 coding, qint32 field) const
    {
        return doc.GetDatabase().GetIntValue(TopicId::Codings, coding, field);
    }

public:
    retrieval::RetrievalEngine engine;
    QByteArray pdf;
    qint32 group = 0, d1 = 0, d2 = 0, d3 = 0, d4 = 0;
    qint32 codeA = 0, codeB = 0, codeC = 0, codeA1 = 0;
    QMap<qint32, QString> labels, codeNames, documentNames;
};

}  // namespace retrievaltest
