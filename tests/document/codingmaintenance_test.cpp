// Maintenance of the derived fields of codings: weights, paragraphs,
// previews and segments, counters, the sources of codings and the picture
// of an area coding.

#include "objectstest.h"

#include "foundation/imageexport.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"

#include <QBuffer>
#include <QImage>

using namespace doctest;

namespace {

class MaintenanceTest : public ObjectsTest {
protected:
    void SetUp() override
    {
        ObjectsTest::SetUp();
        BuildOptionDefinitions();
        m_savedWeight = g_qdaOptions.GetString(QdaOption::DefaultWeight);
    }
    void TearDown() override
    {
        g_qdaOptions.SetValueText(QdaOption::DefaultWeight, m_savedWeight);
        ObjectsTest::TearDown();
    }

private:
    QString m_savedWeight;
};

}  // namespace

TEST_F(MaintenanceTest, CodingsOfTheDefaultWeightTakeTheNewOne)
{
    const qint32 d = doc.NewDocument(0, QStringLiteral("D"), {}, QString());
    const qint32 code = AddCode(QStringLiteral("C"));
    const qint32 light = AddCoding(d, code, 0, 1, {{CodingField::Weight, 0}});
    const qint32 heavy = AddCoding(d, code, 2, 3, {{CodingField::Weight, 90}});
    const qint32 also = AddCoding(d, code, 4, 5, {{CodingField::Weight, 0}});
    g_qdaOptions.SetValueText(QdaOption::DefaultWeight, QStringLiteral("0"));
    log.Take();
    ASSERT_TRUE(doc.ReplaceCodingWeight(50));
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectChanged(10," + N(light) + ")", "owner.OnObjectChanged(10," + N(light) + ")",
                                 "pane.OnObjectChanged(10," + N(also) + ")", "owner.OnObjectChanged(10," + N(also) + ")"}));
    EXPECT_EQ(Value(TopicId::Codings, light, CodingField::Weight), QStringLiteral("50"));
    EXPECT_EQ(Value(TopicId::Codings, heavy, CodingField::Weight), QStringLiteral("90"));
    EXPECT_FALSE(doc.ReplaceCodingWeight(70));  // none has weight 0 any more
    EXPECT_EQ(log.Take(), Calls{});
}

TEST_F(MaintenanceTest, RebuildingGivesParagraphsPreviewsAndSegmentsOfOwnRichTextOnly)
{
    const QByteArray rtf = RtfOf({QStringLiteral("First paragraph"), QStringLiteral("Second one"), QStringLiteral("Third")});
    const qint32 d = doc.NewDocument(0, QStringLiteral("D"), rtf, QString());
    const qint32 pdf = doc.NewExternalDocument(0, QStringLiteral("P"), "%PDF-1.4", DocumentKind::Pdf);
    const QString reference = QStringLiteral("EXTERN:/nowhere/file.rtf");
    const QByteArray referenceBytes(reinterpret_cast<const char*>(reference.utf16()), reference.size() * 2);
    const qint32 linked = doc.NewExternalDocument(0, QStringLiteral("L"), referenceBytes, DocumentKind::RichText);
    EXPECT_EQ(Value(TopicId::Documents, linked, DocumentField::Size), QStringLiteral("0"));
    const qint32 code = AddCode(QStringLiteral("C"));
    // "First paragraph\rSecond one\rThird": 16 + 11 + 5 = 32 positions.
    const qint32 text = AddCoding(d, code, 6, 22, {{CodingField::IsText, 1}});
    const qint32 area = AddCoding(d, code, 6, 22, {{CodingField::IsText, 0}, {CodingField::Preview, QStringLiteral("kept")}});
    const qint32 onPdf = AddCoding(pdf, code, 1, 2, {{CodingField::IsText, 1}, {CodingField::Preview, QStringLiteral("kept")}});
    const qint32 onLink = AddCoding(linked, code, 1, 2, {{CodingField::IsText, 1}, {CodingField::Preview, QStringLiteral("kept")}});

    ASSERT_TRUE(doc.RebuildAllCodings());
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::StartPara), QStringLiteral("1"));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::FinishPara), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::Preview), QStringLiteral("paragraph Second"));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::Area), QStringLiteral("16"));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::Coverage), QStringLiteral("50"));
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    const QByteArray segment = BlobOf(db(), TopicId::Codings, text, CodingField::Text);
    edit->StreamInRtf(&segment, false);
    EXPECT_EQ(edit->GetTextRange(0, edit->GetTextLength()), QStringLiteral("paragraph\rSecond"));
    for (const qint32 untouched : {area, onPdf, onLink})
        EXPECT_EQ(Value(TopicId::Codings, untouched, CodingField::Preview), QStringLiteral("kept")) << untouched;

    // The browser's control after an edit: the text gained a paragraph in front.
    const QByteArray edited = RtfOf({QStringLiteral("New"), QStringLiteral("First paragraph"), QStringLiteral("Second one"),
                                     QStringLiteral("Third")});
    edit->StreamInRtf(&edited, false);
    ASSERT_TRUE(doc.RecomputeDocumentCodings(d, *edit));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::StartPara), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::FinishPara), QStringLiteral("3"));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::Coverage), QString::number(16 * 100.0 / 36));
}

TEST_F(MaintenanceTest, RecountingSkipsCodeZeroRowsAndAnnouncesWhatChanged)
{
    const qint32 d = doc.NewDocument(0, QStringLiteral("D"), {}, QString());
    const qint32 e = doc.NewDocument(0, QStringLiteral("E"), {}, QString());
    const qint32 code = AddCode(QStringLiteral("C"));
    AddCoding(d, code, 0, 1);
    AddCoding(d, code, 2, 3);
    AddCoding(d, 0, 0, 1);
    AddMemo({{MemoField::Document, d}});
    log.Take();
    ASSERT_TRUE(doc.RecountCodings());
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectChanged(5," + N(d) + ")", "owner.OnObjectChanged(5," + N(d) + ")",
                                 "pane.OnObjectChanged(8," + N(code) + ")", "owner.OnObjectChanged(8," + N(code) + ")"}));
    EXPECT_EQ(Value(TopicId::Documents, d, DocumentField::Codes), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Documents, d, DocumentField::Memos), QStringLiteral("1"));
    EXPECT_EQ(Value(TopicId::Documents, e, DocumentField::Codes), QStringLiteral("0"));
    EXPECT_EQ(Value(TopicId::Codes, code, CodeField::Codes), QStringLiteral("2"));
    Reopen();
    EXPECT_EQ(Value(TopicId::Codes, code, CodeField::Codes), QStringLiteral("2"));
}

TEST_F(MaintenanceTest, SourcesOfCodingsCountDocumentsAndTheirGroups)
{
    const qint32 g = doc.NewDocumentGroupNamed(QStringLiteral("G"));
    const qint32 a = doc.NewDocument(g, QStringLiteral("A"), {}, QString());
    const qint32 b = doc.NewDocument(g, QStringLiteral("B"), {}, QString());
    const qint32 top = doc.NewDocument(0, QStringLiteral("T"), {}, QString());
    const qint32 code = AddCode(QStringLiteral("C"));
    const QList<qint32> codings = {AddCoding(a, code, 0, 1), AddCoding(a, code, 2, 3), AddCoding(b, code, 0, 1),
                                   AddCoding(top, code, 0, 1), 9999};
    qint32 documents = -1, groups = -1;
    doc.CountCodingSources(codings, documents, groups);
    EXPECT_EQ(documents, 3);  // the absent coding is no document
    EXPECT_EQ(groups, 1);
}

TEST_F(MaintenanceTest, AnAreaCodingOfAPictureBecomesAPicture)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    const qint32 picture = doc.NewExternalDocument(0, QStringLiteral("P"), png, DocumentKind::Picture);
    const qint32 text = doc.NewDocument(0, QStringLiteral("T"), RtfOf({QStringLiteral("x")}), QString());
    CodingRecord coding;
    coding.TextID = picture;
    coding.PosX1 = 5;
    coding.StartChar = 5;
    coding.PosX2 = 25;
    coding.FinishChar = 15;
    coding.IsText = 0;
    int height = 0, width = 0;
    ASSERT_TRUE(doc.SaveCodingImage(coding, height, width, true));
    EXPECT_EQ(QImage(TemporaryPictureFile()).size(), QSize(20, 10));
    coding.TextID = text;
    EXPECT_FALSE(doc.SaveCodingImage(coding, height, width, true));
    coding.TextID = text + 10;
    EXPECT_FALSE(doc.SaveCodingImage(coding, height, width, true));
}
