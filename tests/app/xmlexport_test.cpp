// The project as XML (621) and the report file (622), clicked in the File
// menu's Export submenu offscreen and read back: element order and
// attributes, the content files beside the XML, the code picker.

#include "app/framefixture.h"
#include "common/pdfbuilder.h"
#include "dictionary/codeselectdlg.h"
#include "document/docfixture.h"
#include "exchange/tableexports.h"
#include "foundation/xmldoc.h"

#include <QCheckBox>
#include <QtEndian>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

constexpr int kExportMenuText = 200006;

QByteArray BytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The element's children as "TAG name-or-id", in order.
QStringList Children(CXmlDoc& xml, const QString& path)
{
    QStringList names;
    if (!xml.FindElement(path))
        return {QStringLiteral("<no %1>").arg(path)};
    xml.EnterElement();
    while (xml.FindElement()) {
        const QString name = xml.GetElementAttribute(u"name");
        names.append(xml.GetTagName(xml.CurrentPosition()) + u' '
                     + (name.isEmpty() ? xml.GetElementAttribute(u"id") : name));
    }
    xml.LeaveElement();
    return names;
}

class XmlExportTest : public frametest::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        TableExports::SetOpener([this](const QString& path) { opened.append(path); });
        g_program.DocumentsFolder = dir.file(QStringLiteral("documents"));
        g_program.ExportFolder = dir.path();
        ASSERT_TRUE(QDir().mkpath(g_program.DocumentsFolder));
        path = dir.file(QStringLiteral("Study.kv4"));
        CKorDoc maker;
        ASSERT_TRUE(maker.OpenProject(maker.CreateProjectFile(path, QStringLiteral("MAIN")), false));
        TopicDatabase& base = maker.GetDatabase();
        const qint32 group = maker.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        empty = maker.NewDocumentGroupNamed(QStringLiteral("Empty"));
        anna = maker.NewDocument(group, QStringLiteral("Anna"), doctest::RtfOf({QStringLiteral("Hello there")}), {});
        pdfBytes = testutil::MakePdf(QSizeF(400, 300), {testutil::TextLines({QStringLiteral("A page to code")})});
        paper = maker.NewExternalDocument(group, QStringLiteral("Paper"), pdfBytes, DocumentKind::Pdf);
        loose = maker.NewDocument(0, QStringLiteral("Loose one"), doctest::RtfOf({QStringLiteral("Aside")}), {});
        ASSERT_TRUE(anna && paper && loose && empty);
        CodeRecord code;
        code.name = QStringLiteral("Trust");
        trust = maker.NewCode(code);
        code.name = QStringLiteral("Detail");
        code.parent = trust;
        detail = maker.NewCode(code);
        code.name = QStringLiteral("Other");
        code.parent = 0;
        other = maker.NewCode(code);
        ASSERT_TRUE(trust && detail && other);
        annaCoding = doctest::AddRow(base, TopicId::Codings,
                                     {{CodingField::Document, anna}, {CodingField::Code, trust},
                                      {CodingField::StartChar, 0}, {CodingField::FinishChar, 5},
                                      {CodingField::IsText, 1}, {CodingField::Weight, 40},
                                      {CodingField::Author, QStringLiteral("ann")},
                                      {CodingField::Comment, QStringLiteral("a <note> & more")},
                                      {CodingField::Text, doctest::RtfOf({QStringLiteral("Hello")})}});
        looseCoding = doctest::AddRow(base, TopicId::Codings,
                                      {{CodingField::Document, loose}, {CodingField::Code, trust},
                                       {CodingField::StartChar, 0}, {CodingField::FinishChar, 3},
                                       {CodingField::IsText, 1},
                                       {CodingField::Text, doctest::RtfOf({QStringLiteral("Asi")})}});
        areaCoding = doctest::AddRow(base, TopicId::Codings,
                                     {{CodingField::Document, paper}, {CodingField::Code, detail},
                                      {CodingField::Page, 1}, {CodingField::PosX1, 50},
                                      {CodingField::StartChar, 250}, {CodingField::PosX2, 300},
                                      {CodingField::FinishChar, 150}, {CodingField::IsText, 0}});
        QByteArray codeIds(8, '\0');
        qToLittleEndian<qint32>(trust, codeIds.data());
        qToLittleEndian<qint32>(other, codeIds.data() + 4);
        for (const char* text : {"First", "Second"})
            memos.append(doctest::AddRow(base, TopicId::Memos,
                                         {{MemoField::Title, QStringLiteral("Note: one")},
                                          {MemoField::Source, 5}, {MemoField::Code, trust},
                                          {MemoField::Text, doctest::RtfOf({QString::fromLatin1(text)})},
                                          {MemoField::Codewords, codeIds}}));
        ASSERT_TRUE(annaCoding && looseCoding && areaCoding && memos.size() == 2 && memos[1]);
        maker.CloseDatabase();
        ShowFrame();
        OpenThroughMenu(path);
        ASSERT_EQ(OpenPath(), path) << messages.texts.join(u'\n').toStdString();
        messages.texts.clear();
        messages.prompts.clear();
    }
    void TearDown() override
    {
        TableExports::SetOpener({});
        FrameTest::TearDown();
    }

    /// Opens File, then its Export submenu, and clicks the command.
    void ClickExport(int command)
    {
        frametest::ClickSubmenuCommand(*frame, frametest::kFileMenu, LoadString(kExportMenuText), command);
    }

    /// Answers the code picker: ticks the named codes with the keyboard,
    /// sets the activated-only box, and clicks OK (or Cancel).
    void AnswerPicker(const QStringList& tick, bool onlyActivated, bool ok = true)
    {
        frametest::WhenModalShows([=, this](QWidget* modal) {
            auto* dialog = qobject_cast<ReportCodeSelectDlg*>(modal);
            pickerShown = dialog != nullptr;
            if (!dialog) {
                modal->close();
                return;
            }
            auto* list = dialog->findChild<QListWidget*>();
            pickerRows.clear();
            for (int i = 0; i < list->count(); ++i) {
                QListWidgetItem* row = list->item(i);
                pickerRows.append(row->text() + (row->checkState() == Qt::Checked ? QStringLiteral(" [x]") : QString()));
                if (tick.contains(row->text()) != (row->checkState() == Qt::Checked)) {
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
                    QTest::keyClick(list, Qt::Key_Space);
                }
            }
            auto* box = dialog->findChild<QCheckBox*>();
            activatedBoxEnabled = box->isEnabled();
            if (box->isEnabled() && box->isChecked() != onlyActivated)
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                if (button->text() == LoadString(ok ? 102006 : 102005))
                    QTest::mouseClick(button, Qt::LeftButton);
        });
    }

    QString ProjectFolder(const QString& name) { return dir.file(name); }

    QString path;
    qint32 empty = 0, anna = 0, paper = 0, loose = 0;
    qint32 trust = 0, detail = 0, other = 0;
    qint32 annaCoding = 0, looseCoding = 0, areaCoding = 0;
    QList<qint32> memos;
    QByteArray pdfBytes;
    QStringList opened;
    bool pickerShown = false;
    bool activatedBoxEnabled = false;
    QStringList pickerRows;
};

TEST_F(XmlExportTest, TheWholeProjectReadsBackWithItsFiles)
{
    messages.files.append({dir.path()});
    ClickExport(621);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u'\n').toStdString();
    const QString root = ProjectFolder(QStringLiteral("Study"));
    const QString xmlPath = QDir(root).filePath(QStringLiteral("Study.xml"));
    const QByteArray raw = BytesOf(xmlPath);
    ASSERT_TRUE(raw.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<KORVAN version=\""))
        << raw.left(120).toStdString();

    CXmlDoc xml;
    ASSERT_TRUE(xml.Load(xmlPath)) << xml.GetResultText().toStdString();
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN")));
    EXPECT_EQ(xml.GetElementAttribute(u"version"), document.GetEngine()->GetSchemaVersion());
    EXPECT_FALSE(xml.GetElementAttribute(u"version").isEmpty());
    // Ungrouped documents first, then the groups, the empty one too.
    EXPECT_EQ(Children(xml, QStringLiteral("/KORVAN/DOCUMENTS")),
              (QStringList{QStringLiteral("DOCUMENT Loose one"), QStringLiteral("DOCGROUP Interviews"),
                           QStringLiteral("DOCGROUP Empty")}));
    EXPECT_EQ(Children(xml, QStringLiteral("/KORVAN/DOCUMENTS/DOCGROUP")),
              (QStringList{QStringLiteral("DOCUMENT Anna"), QStringLiteral("DOCUMENT Paper")}));
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN/DOCUMENTS/DOCGROUP/DOCUMENT")));
    EXPECT_EQ(xml.GetElementAttribute(u"path"), QStringLiteral("./Documents/Anna.rtf"));
    EXPECT_EQ(xml.GetElementAttribute(u"type"), QStringLiteral("0"));
    EXPECT_EQ(xml.GetElementAttribute(u"date").size(), 14);
    EXPECT_EQ(Children(xml, QStringLiteral("/KORVAN/DOCUMENTS/DOCGROUP/DOCUMENT/CODINGS")),
              (QStringList{QStringLiteral("CODING %1").arg(annaCoding)}));
    EXPECT_EQ(Children(xml, QStringLiteral("/KORVAN/DOCUMENTS/DOCGROUP[@name=Empty]")), QStringList());

    // The coding's attributes in their order; a date of 0 is empty.
    const QRegularExpression coding(QStringLiteral(
        "<CODING id=\"%1\" code_id=\"%2\" type=\"1\" author=\"ann\" date=\"\" weight=\"40\" page=\"0\" "
        "pos11=\"0\" pos21=\"5\" pos12=\"0\" pos22=\"0\" comment=\"a &lt;note&gt; &amp; more\"\\s*/>")
                                        .arg(annaCoding)
                                        .arg(trust));
    EXPECT_TRUE(coding.match(QString::fromUtf8(raw)).hasMatch()) << raw.toStdString();

    EXPECT_EQ(Children(xml, QStringLiteral("/KORVAN/CODESYSTEM")),
              (QStringList{QStringLiteral("CODE Trust"), QStringLiteral("CODE Other")}));
    EXPECT_EQ(Children(xml, QStringLiteral("/KORVAN/CODESYSTEM/CODE")), (QStringList{QStringLiteral("CODE Detail")}));

    // Two memos of one title get two files.
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN/MEMOS/MEMO")));
    EXPECT_EQ(xml.GetElementAttribute(u"ref_type"), QStringLiteral("5"));
    EXPECT_EQ(xml.GetElementAttribute(u"ref_id"), QString::number(trust));
    EXPECT_EQ(xml.GetElementAttribute(u"path"), QStringLiteral("./Memos/Note_one.rtf"));
    EXPECT_EQ(Children(xml, QStringLiteral("/KORVAN/MEMOS/MEMO/CODEREFS")).size(), 2);
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN/MEMOS/MEMO/CODEREFS/CODEREF")));
    EXPECT_EQ(xml.GetElementAttribute(u"code_id"), QString::number(trust));
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN/MEMOS/MEMO[@id=%1]").arg(memos[1])));
    EXPECT_EQ(xml.GetElementAttribute(u"path"), QStringLiteral("./Memos/Note_one(1).rtf"));
    EXPECT_TRUE(BytesOf(QDir(root).filePath(QStringLiteral("Memos/Note_one.rtf"))).contains("First"));
    EXPECT_TRUE(BytesOf(QDir(root).filePath(QStringLiteral("Memos/Note_one(1).rtf"))).contains("Second"));

    // Contents: the rich text keeps its closing brace, the PDF is whole.
    const QByteArray rtf = BytesOf(QDir(root).filePath(QStringLiteral("Documents/Anna.rtf")));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(rtf.endsWith("}")) << rtf.right(20).toStdString();
    EXPECT_EQ(BytesOf(QDir(root).filePath(QStringLiteral("Documents/Paper.pdf"))), pdfBytes);
    EXPECT_TRUE(QFile::exists(QDir(root).filePath(QStringLiteral("Documents/Loose_one.rtf"))));

    // A second export goes into a numbered folder and leaves the first alone.
    messages.files.append({dir.path()});
    ClickExport(621);
    EXPECT_TRUE(QFile::exists(ProjectFolder(QStringLiteral("Study(1)/Study.xml"))));
    EXPECT_EQ(BytesOf(xmlPath), raw);
    EXPECT_EQ(g_program.ExportFolder, dir.path());

    // Cancelled: nothing more.
    messages.files.append(QStringList());
    ClickExport(621);
    EXPECT_FALSE(QFile::exists(ProjectFolder(QStringLiteral("Study(2)"))));
}

TEST_F(XmlExportTest, AFolderThatCannotBeMadeAndAMissingExternalFileAreReported)
{
    // A file stands where the chosen folder should be: nothing can be made in it.
    const QString plain = dir.file(QStringLiteral("plain.txt"));
    ASSERT_TRUE(testutil::WriteFile(plain, "text"));
    messages.files.append({plain});
    ClickExport(621);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("plain.txt/Study"))) << messages.texts[0].toStdString();
    EXPECT_EQ(BytesOf(plain), QByteArray("text"));

    // Documents kept outside the project are written as the files they name.
    const auto externalBlob = [](const QString& file) {
        const QString reference = QStringLiteral("EXTERN:") + file;
        return QByteArray(reinterpret_cast<const char*>(reference.utf16()), reference.size() * 2);
    };
    const QString there = dir.file(QStringLiteral("there.pdf"));
    ASSERT_TRUE(testutil::WriteFile(there, pdfBytes));
    ASSERT_NE(document.NewExternalDocument(0, QStringLiteral("Linked"), externalBlob(there), DocumentKind::Pdf), 0);
    ASSERT_NE(document.NewExternalDocument(0, QStringLiteral("Gone"), externalBlob(dir.file(QStringLiteral("gone.pdf"))),
                                           DocumentKind::Pdf),
              0);
    messages.texts.clear();
    messages.files.append({dir.path()});
    ClickExport(621);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("gone.pdf"))) << messages.texts[0].toStdString();
    EXPECT_FALSE(messages.texts[0].contains(QStringLiteral("there.pdf"))) << messages.texts[0].toStdString();
    EXPECT_EQ(BytesOf(ProjectFolder(QStringLiteral("Study/Documents/Linked.pdf"))), pdfBytes);
    EXPECT_FALSE(QFile::exists(ProjectFolder(QStringLiteral("Study/Documents/Gone.pdf"))));
    CXmlDoc xml;
    ASSERT_TRUE(xml.Load(ProjectFolder(QStringLiteral("Study/Study.xml"))));
    EXPECT_TRUE(xml.FindElement(QStringLiteral("//DOCUMENT[@name=Gone]")));
}

TEST_F(XmlExportTest, TheReportHoldsThePickedCodesWithTheirCodingsAndPictures)
{
    ASSERT_TRUE(document.ActivateDocument(anna, true, false));
    ASSERT_TRUE(document.ActivateDocument(paper, true, false));
    ASSERT_TRUE(document.WriteSettingString(QStringLiteral("ReportCodes"), QStringLiteral("[%1]").arg(other)));
    AnswerPicker({QStringLiteral("Trust")}, true);
    ClickExport(622);
    ASSERT_TRUE(pickerShown);
    EXPECT_TRUE(activatedBoxEnabled);
    // The top-level codes, the one picked last time ticked.
    EXPECT_EQ(pickerRows, (QStringList{QStringLiteral("Trust"), QStringLiteral("Other [x]")}));
    QString setting;
    document.ReadSetting(QStringLiteral("ReportCodes"), setting);
    EXPECT_EQ(setting, QStringLiteral("[%1]").arg(trust));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u'\n').toStdString();

    const QString folder = QDir(g_program.DocumentsFolder).filePath(QStringLiteral("Report_Study"));
    EXPECT_EQ(opened, QStringList{folder});
    CXmlDoc xml;
    ASSERT_TRUE(xml.Load(QDir(folder).filePath(QStringLiteral("Study.xml")))) << xml.GetResultText().toStdString();
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN")));
    EXPECT_EQ(xml.GetElementAttribute(u"version"), document.GetEngine()->GetSchemaVersion());

    // Only texts that exist, each as the table holds it.
    int texts = 0;
    for (int id = 102400; id <= 102499; ++id)
        texts += LoadString(id).isEmpty() ? 0 : 1;
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN/STRINGS")));
    xml.EnterElement();
    int strings = 0;
    while (xml.FindElement(QStringLiteral("STRING"))) {
        ++strings;
        EXPECT_FALSE(xml.GetElementData().isEmpty());
        EXPECT_EQ(xml.GetElementData(), LoadString(xml.GetElementAttribute(u"id").toInt()));
    }
    xml.LeaveElement();
    EXPECT_EQ(strings, texts);

    // The activated documents in tree order.
    EXPECT_EQ(Children(xml, QStringLiteral("/KORVAN/DOCUMENTS")),
              (QStringList{QStringLiteral("DOCUMENT Interviews\\Anna"), QStringLiteral("DOCUMENT Interviews\\Paper")}))
        << Children(xml, QStringLiteral("/KORVAN/DOCUMENTS")).join(u'|').toStdString();
    // The code counts every coding but lists those of the exported documents.
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN/CODESYSTEM/CODE")));
    EXPECT_EQ(xml.GetElementAttribute(u"name"), QStringLiteral("Trust"));
    EXPECT_EQ(xml.GetElementAttribute(u"codings"), QStringLiteral("2"));
    EXPECT_EQ(Children(xml, QStringLiteral("/KORVAN/CODESYSTEM/CODE/CODINGS")),
              (QStringList{QStringLiteral("CODING %1").arg(annaCoding)}));
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN/CODESYSTEM/CODE/CODINGS/CODING")));
    EXPECT_EQ(xml.GetElementData(), QStringLiteral("Hello"));
    EXPECT_EQ(xml.GetElementAttribute(u"doc_id"), QString::number(anna));
    // The subcode's area coding as a picture.
    ASSERT_TRUE(xml.FindElement(QStringLiteral("/KORVAN/CODESYSTEM/CODE/CODE/CODINGS/CODING")));
    const QString picture = QStringLiteral("./Img/%1.jpg").arg(areaCoding, 9, 10, QLatin1Char('0'));
    EXPECT_EQ(xml.GetElementData(), picture);
    EXPECT_EQ(xml.GetElementAttribute(u"type"), QStringLiteral("0"));
    QImageReader image(QDir(folder).filePath(picture));
    EXPECT_EQ(image.format(), QByteArray("jpeg"));
    EXPECT_LE(image.size().width(), 600);
    EXPECT_FALSE(xml.FindElement(QStringLiteral("/KORVAN/CODESYSTEM/CODE[@name=Other]")));

    // Cancelled: the setting stays, nothing is written.
    opened.clear();
    AnswerPicker({}, false, false);
    ClickExport(622);
    document.ReadSetting(QStringLiteral("ReportCodes"), setting);
    EXPECT_EQ(setting, QStringLiteral("[%1]").arg(trust));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("(1)")));
}

}  // namespace
