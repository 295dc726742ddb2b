#pragma once

// A small project for the retrieval windows, with the retrieval engine:
//
// D1 (activated) rich text, paragraphs "First paragraph of one." (24
//    positions with its end), "Second part tells more." (24), "Third and
//    last words." (21, no end):
//      c1 Feelings\Anger [0,23) p1 w80      c2 Places [24,47) p2 w25
//      c3 Feelings\Anger [48,69) p3 w0
//    memos anchored at 0 (m1), 23 (m2, the end of c1), 24 (m3, one past
//    c1 and the start of c2) and 60 (m4), 63 (m5) and 66 (m6), the last
//    three on one line of c3
// D2 (activated) "Other document text here." c4 Feelings\Anger [6,14) p1 w50,
//    memo m7 at 5, one before c4
// D3 not activated: c5 Feelings\Anger [0,5)
// Codes Feelings (top level), Anger (child of Feelings, activated) and
// Places (activated).

#include "document/docfixture.h"
#include "foundation/optionsrecord.h"
#include "retrieval/projectrows.h"
#include "retrieval/retrievalengine.h"
#include "store/topicdatabase.h"
#include "ui/richviewowner.h"

namespace segmentstest {

/// Answers rows and texts from the document as the frame does and keeps
/// every other request.
class DocumentOwner : public RichViewOwner {
public:
    explicit DocumentOwner(CKorDoc& doc) : m_doc(doc) {}

    void Request(NotifyHead& record) override
    {
        if (record.code == RequestCode::GetRecord) {
            ++reads;
            m_doc.HandleGetRecord(static_cast<RecordNotifyInfo&>(record));
        } else if (record.code == RequestCode::ItemInfo) {
            m_doc.HandleItemQuery(static_cast<ListNotifyInfo&>(record));
        } else if (record.code == RequestCode::Drop) {
            auto& drop = static_cast<DropNotifyInfo&>(record);
            drops.append(drop.targetKind);
            drop.answer = 1;
            drop.handled = true;
        } else {
            others.append(record.code);
        }
    }

    int reads = 0;
    QList<qint32> drops;
    QList<RequestCode> others;

private:
    CKorDoc& m_doc;
};

class SegmentsProject : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        doc.SetRetrievalService(&engine);
        NewProject();
        Build();
        log.Take();
    }

    qint32 Document(const QString& name, qint32 index, bool activated, const QByteArray& content,
                    qint32 kind = DocumentKind::RichText)
    {
        return doctest::AddRow(db(), TopicId::Documents,
                               {{DocumentField::GroupID, group},
                                {DocumentField::Name, name},
                                {retrieval::kIndexField, index},
                                {DocumentField::State, activated ? ObjectState::Activated : 0},
                                {DocumentField::DocType, kind},
                                {DocumentField::Text, content}});
    }
    qint32 Code(const QString& name, qint32 parent, qint32 index, bool activated)
    {
        return doctest::AddRow(db(), TopicId::Codes,
                               {{5, name},
                                {CodeField::Parent, parent},
                                {retrieval::kIndexField, index},
                                {CodeField::State, activated ? ObjectState::Activated : 0}});
    }
    qint32 Coding(qint32 document, qint32 code, qint32 start, qint32 end, qint32 paragraph, qint32 weight,
                  bool text = true)
    {
        return AddCoding(document, code, start, end,
                         {{CodingField::StartPara, paragraph},
                          {CodingField::FinishPara, paragraph},
                          {retrieval::CodingExtraField::Weight, weight},
                          {retrieval::CodingExtraField::Page, 1},
                          {CodingField::IsText, text ? 1 : 0}});
    }
    qint32 Memo(qint32 document, qint32 position, const QString& title)
    {
        return AddMemo({{MemoField::Document, document}, {MemoField::Pos, position}, {MemoField::Title, title}});
    }

    void Build()
    {
        group = AddGroup(QStringLiteral("Interviews"));
        d1 = Document(QStringLiteral("Anna"), 1, true,
                      doctest::RtfOf({QStringLiteral("First paragraph of one."), QStringLiteral("Second part tells more."),
                                      QStringLiteral("Third and last words.")}));
        d2 = Document(QStringLiteral("Ben"), 2, true, doctest::RtfOf({QStringLiteral("Other document text here.")}));
        d3 = Document(QStringLiteral("Carl"), 3, false, doctest::RtfOf({QStringLiteral("Never shown.")}));
        feelings = Code(QStringLiteral("Feelings"), 0, 1, false);
        anger = Code(QStringLiteral("Anger"), feelings, 1, true);
        places = Code(QStringLiteral("Places"), 0, 2, true);
        c1 = Coding(d1, anger, 0, 23, 1, 80);
        c2 = Coding(d1, places, 24, 47, 2, 25);
        c3 = Coding(d1, anger, 48, 69, 3, 0);
        c4 = Coding(d2, anger, 6, 14, 1, 50);
        c5 = Coding(d3, anger, 0, 5, 1, 50);
        m1 = Memo(d1, 0, QStringLiteral("At the start"));
        m2 = Memo(d1, 23, QStringLiteral("At the end"));
        m3 = Memo(d1, 24, QStringLiteral("Next segment"));
        m4 = Memo(d1, 60, QStringLiteral("Lane one"));
        m5 = Memo(d1, 63, QStringLiteral("Lane two"));
        m6 = Memo(d1, 66, QStringLiteral("Lane three"));
        m7 = Memo(d2, 5, QStringLiteral("Outside"));
    }

    /// Sets or clears the activated bit of a document or code.
    void Activate(qint32 topic, qint32 key, bool on)
    {
        const qint32 field = topic == TopicId::Codes ? qint32(CodeField::State) : qint32(DocumentField::State);
        const qint32 state = db().GetIntValue(topic, key, field);
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(topic, key, row, false));
        FieldValue value;
        ASSERT_TRUE(row.GetFieldValue(field, value));
        value.SetInt(on ? state | ObjectState::Activated : state & ~ObjectState::Activated);
        ASSERT_TRUE(row.WriteBack());
    }

    /// A run with the document's own settings, as the frame starts it.
    qint32 Run() { return doc.RunRetrieval(doc.GetRetrievalSettings(), 0); }

public:
    retrieval::RetrievalEngine engine;
    qint32 group = 0, d1 = 0, d2 = 0, d3 = 0;
    qint32 feelings = 0, anger = 0, places = 0;
    qint32 c1 = 0, c2 = 0, c3 = 0, c4 = 0, c5 = 0;
    qint32 m1 = 0, m2 = 0, m3 = 0, m4 = 0, m5 = 0, m6 = 0, m7 = 0;
};

}  // namespace segmentstest
