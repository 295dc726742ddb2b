// What the canvas shows for an object standing for a memo, a document or a
// code: the memo's heading and its text, read through the owner's requests.
#include "document/docfixture.h"

#include "document/listnotifyinfo.h"
#include "store/storeids.h"
#include "visual/modelercanvas.h"

#include <gtest/gtest.h>

namespace {

class DocumentCanvasOwner : public IModelerCanvasOwner {
public:
    explicit DocumentCanvasOwner(CKorDoc& doc) : m_doc(doc) {}
    void Request(NotifyHead& record) override
    {
        if (record.code == RequestCode::GetRecord)
            m_doc.HandleGetRecord(static_cast<RecordNotifyInfo&>(record));
        else if (record.code == RequestCode::ItemInfo)
            m_doc.HandleItemQuery(static_cast<ListNotifyInfo&>(record));
    }

private:
    CKorDoc& m_doc;
};

class ObjectText : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        canvas.Attach(nullptr, &canvasOwner, false, false);
    }
    bool Text(qint32 topic, qint32 id, QString& text, QByteArray& rtf)
    {
        ModelObject object;
        object.RefTopic = topic;
        object.RefId = id;
        bool rich = false;
        QSize size;
        const bool shown = canvas.BuildObjectText(object, rich, text, rtf, size, false);
        if (shown) {
            EXPECT_TRUE(rich);
            EXPECT_EQ(size, QSize(300, 160));
        }
        return shown;
    }

    DocumentCanvasOwner canvasOwner{doc};
    ModelerCanvas canvas;
};

}  // namespace

TEST_F(ObjectText, AMemoShowsTitleAuthorAndDateBeforeItsText)
{
    const QDateTime when(QDate(2021, 3, 4), QTime(5, 6, 7));
    const qint32 full = doc.NewMemo(QStringLiteral("Plan"), QStringLiteral("Bo"), when, "{\\rtf1 body}");
    const qint32 bare = doc.NewMemo(QStringLiteral("x"), QStringLiteral("y"), when, {});
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Memos, bare, row, false));
    FieldValue value;
    ASSERT_TRUE(row.GetFieldValue(MemoField::Title, value));
    value.SetText(QString());
    ASSERT_TRUE(row.GetFieldValue(MemoField::Author, value));
    value.SetText(QString());
    ASSERT_TRUE(row.WriteBack());

    QString text;
    QByteArray rtf;
    ASSERT_TRUE(Text(TopicId::Memos, full, text, rtf));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Plan (Bo, "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("2021"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral(")\r")));
    EXPECT_EQ(rtf, QByteArray("{\\rtf1 body}"));
    const QString dateText = text.mid(10, text.size() - 12);

    ASSERT_TRUE(Text(TopicId::Memos, bare, text, rtf));
    EXPECT_EQ(text, dateText + QStringLiteral(")\r"));

    // A code without memo and an unknown row show nothing.
    const qint32 code = AddCode(QStringLiteral("c"));
    EXPECT_FALSE(Text(TopicId::Codes, code, text, rtf));
    EXPECT_FALSE(Text(TopicId::Memos, 9999, text, rtf));
}
