#pragma once

// A small project for the tests of codings, memos, links and media marks:
// one group with a rich-text document of three paragraphs and an empty
// second document, two top-level codes and a subcode, a recording
// retrieval service, and helpers that add codings through the document and
// take a snapshot of every row.

#include "objectstest.h"

#include "common/recordingretrieval.h"
#include "document/textcoding.h"
#include "document/documentids.h"
#include "store/topicdatabase.h"

namespace doctest {

class CodingsTest : public ObjectsTest {
protected:
    /// "Alpha beta gamma." (0-16, paragraph end 17), "Second paragraph
    /// here." (18-39, end 40), "Third one." (41-50).
    static QByteArray Text()
    {
        return RtfOf({QStringLiteral("Alpha beta gamma."), QStringLiteral("Second paragraph here."),
                      QStringLiteral("Third one.")});
    }
    static constexpr qint32 kTextLength = 51;

    void SetUp() override
    {
        ObjectsTest::SetUp();
        doc.SetRetrievalService(&retrieval);
        group = doc.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        document = doc.NewDocument(group, QStringLiteral("First"), Text(), QString());
        other = doc.NewDocument(group, QStringLiteral("Second"), Text(), QString());
        CodeRecord record;
        record.name = QStringLiteral("Joy");
        joy = doc.NewCode(record);
        record.name = QStringLiteral("Fear");
        fear = doc.NewCode(record);
        record.name = QStringLiteral("Dread");
        record.parent = fear;
        dread = doc.NewCode(record);
        ASSERT_TRUE(group && document && other && joy && fear && dread);
        ASSERT_EQ(db().GetIntValue(TopicId::Documents, document, DocumentField::Size), kTextLength);
        log.Take();
    }
    void TearDown() override
    {
        doc.SetRetrievalService(nullptr);
        ObjectsTest::TearDown();
    }
    void Reopen()
    {
        DocTest::Reopen();
        db().SetUserName(QStringLiteral("Ada"));
        log.Take();
    }

    /// A text coding of the range, as the browser hands it over.
    CodingRecord Segment(qint32 code, qint32 start, qint32 finish, qint32 inDocument = 0) const
    {
        CodingRecord record = TextCoding(inDocument ? inDocument : document, code, start, finish);
        record.Weight = 50;
        record.Preview = QStringLiteral("preview");
        record.Text = "{\\rtf1 segment}";
        return record;
    }
    /// Adds the coding through the document (new action, overlap mode
    /// Replace, no browser to commit); its id, 0 when nothing was written.
    qint32 Code(qint32 code, qint32 start, qint32 finish, qint32 inDocument = 0)
    {
        CodingRecord record = Segment(code, start, finish, inDocument);
        qint32 action = 0;
        bool written = false;
        doc.AddCoding(record, action, OverlapMode::Replace, &written, false);
        return written ? record.ID : 0;
    }

    /// Every row of the topic with every field, memory-only ones included,
    /// as "key: value|value|...".
    QStringList Rows(qint32 topic)
    {
        QStringList rows;
        TopicTable* table = db().GetTable(topic);
        QList<qint32> keys;
        db().GetAllKeys(topic, keys);
        for (const qint32 key : std::as_const(keys)) {
            QStringList values;
            for (int i = 0; i < table->Fields().Count(); ++i)
                values.append(ValueOf(db(), topic, key, table->Fields().GetAt(i)->ID));
            rows.append(QString::number(key) + QStringLiteral(": ") + values.join(QLatin1Char('|')));
        }
        return rows;
    }
    /// The rows of documents, codes, codings, memos, links and media marks.
    QStringList Snapshot()
    {
        QStringList all;
        for (const qint32 topic : {TopicId::Documents, TopicId::Codes, TopicId::Codings, TopicId::Memos,
                                   TopicId::Links, TopicId::MediaMarks})
            all += Rows(topic);
        return all;
    }
    QString Field(qint32 topic, qint32 key, qint32 field) { return Value(topic, key, field); }
    /// The broadcasts of a change: the pane, then the owner.
    static Calls Changed(qint64 topic, qint64 key)
    {
        const std::string args = "(" + N(topic) + "," + N(key) + ")";
        return {"pane.OnObjectChanged" + args, "owner.OnObjectChanged" + args};
    }
    static Calls Deleted(qint64 topic, qint64 key)
    {
        const std::string args = "(" + N(topic) + "," + N(key) + ")";
        return {"pane.OnObjectDeleted" + args, "owner.OnObjectDeleted" + args};
    }
    static Calls Join(std::initializer_list<Calls> parts)
    {
        Calls all;
        for (const Calls& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }

    testutil::RecordingRetrieval retrieval;
    qint32 group = 0;
    qint32 document = 0;
    qint32 other = 0;
    qint32 joy = 0;
    qint32 fear = 0;
    qint32 dread = 0;
};

}  // namespace doctest
