// The imports through the real window: pre-structured texts from the file
// menu and from a group's context menu (a rich-text file and a Word file
// converted on the way), an exported XML project opened as a new project,
// and word-processor conversion that reports to its caller.

#include "app/appids.h"
#include "app/contextmenus.h"
#include "document/rowfields.h"
#include "document/documentids.h"
#include "exchange/importtexts.h"
#include "framefixture.h"
#include "platform/office/officeconverter.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"

#include <QDir>
#include <QFileInfo>

using namespace frametest;

namespace {

QByteArray RtfLines(const QStringList& lines)
{
    QStringList escaped;
    for (QString line : lines)
        escaped.append(line.replace(u'\\', QStringLiteral("\\\\")));
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 " + escaped.join(QStringLiteral("\\par ")).toLatin1() +
           "}";
}

/// Clicks File, then Import, then the command, as a user does.
void ClickImportCommand(QMainWindow& window, int commandId)
{
    ClickSubmenuCommand(window, kFileMenu, ImportsText::ImportMenu, commandId);
}

QStringList DocumentNames(const TopicDatabase& db)
{
    QList<qint32> keys;
    db.GetAllKeys(TopicId::Documents, keys);
    QStringList names;
    for (const qint32 key : std::as_const(keys))
        names.append(rowfields::TextOfKey(db, TopicId::Documents, key, DocumentField::Name));
    names.sort();
    return names;
}

class ImportsTest : public FrameTest {
protected:
    void OpenProject()
    {
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("Projekt.kv4")));
        ASSERT_TRUE(document.GetEngine());
        messages.texts.clear();
    }
};

TEST_F(ImportsTest, StructuredTextsFromTheFileMenuAndFromAGroup)
{
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    OpenProject();
    const QString rtf = dir.file(QStringLiteral("Interviews.rtf"));
    ASSERT_TRUE(testutil::WriteFile(rtf, RtfLines({"#TEXT Anna", "#CODE Mood\\Calm", "all fine", "#ENDCODE",
                                                   "#TEXT Ben", "#CODE Mood\\Tense#so much", "#ENDCODE"})));
    // The Word file is made by LibreOffice from RTF, in a folder of its own.
    const QString wordFolder = dir.file(QStringLiteral("word"));
    ASSERT_TRUE(QDir().mkpath(wordFolder));
    const QString wordSource = wordFolder + QStringLiteral("/Gruppe.rtf");
    ASSERT_TRUE(testutil::WriteFile(wordSource, RtfLines({"#TEXT Carla", "#CODE Mood\\Calm", "quiet", "#ENDCODE"})));
    QString docx;
    QString error;
    ASSERT_EQ(ConvertWithOffice(wordSource, QStringLiteral("docx:MS Word 2007 XML"), wordFolder, docx, error),
              OfficeConvertResult::Converted)
        << error.toStdString();
    const QByteArray rtfBytes = testutil::ReadFile(rtf);
    const QByteArray docxBytes = testutil::ReadFile(docx);

    messages.files.append({rtf, docx});
    messages.AddAnswers({MessageAnswer::No});  // the code names leave the text
    ClickImportCommand(*frame, ImportsCommand::StructuredTexts);
    const QString question = LoadString(ImportsText::KeepCodeNamesQuestion);
    EXPECT_EQ(messages.texts, QStringList({question}));
    EXPECT_EQ(DocumentNames(db()), QStringList({QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("Carla")}));
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 3);
    EXPECT_EQ(db().GetRowCount(TopicId::Codes), 3);  // Mood, Calm, Tense
    EXPECT_EQ(messages.prompts.last().kind, FilePromptKind::OpenFiles);
    EXPECT_EQ(testutil::ReadFile(rtf), rtfBytes);
    EXPECT_EQ(testutil::ReadFile(docx), docxBytes);
    // Nothing of the conversion stays behind.
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("convert-*")}, QDir::Dirs), QStringList());

    // From a group's context menu: into that group; a damaged file is
    // reported with its path and changes nothing.
    const qint32 group = document.NewDocumentGroupNamed(QStringLiteral("Gruppe"));
    ASSERT_NE(group, 0);
    const QString damaged = dir.file(QStringLiteral("Kaputt.rtf"));
    ASSERT_TRUE(testutil::WriteFile(damaged, "{\\rtf1 #TEXT X\\par {\\b #CODE Y\\par z"));
    messages.files.append({damaged, rtf});
    messages.texts.clear();
    messages.AddAnswers({MessageAnswer::Yes});
    QMenu* menu = RightClick(NodeKind::DocumentGroup, group, PaneControlId::DocumentTree);
    ClickCommandIn(menu, ImportsCommand::StructuredTexts);
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.texts.size(), 2) << messages.texts.join(u'\n').toStdString();
    EXPECT_EQ(messages.texts[0], question);
    EXPECT_TRUE(messages.texts[1].contains(damaged)) << messages.texts[1].toStdString();
    QList<qint32> inGroup;
    db().FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, group, inGroup);
    EXPECT_EQ(inGroup.size(), 2);
    EXPECT_EQ(db().GetRowCount(TopicId::Documents), 5);
}

TEST_F(ImportsTest, OpeningAnXmlProjectMakesAProjectBesideItAndImportsIntoIt)
{
    OpenProject();
    const QString folder = dir.file(QStringLiteral("export"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(testutil::WriteFile(folder + QStringLiteral("/hello.rtf"), RtfLines({"Hello", "World"})));
    const QString xml = folder + QStringLiteral("/Study.xml");
    ASSERT_TRUE(testutil::WriteFile(xml, R"(<?xml version="1.0"?>
<storedHU>
 <codes><code id="c1" name="Greeting" color="00FF00"/></codes>
 <dataSources><dataSource id="d1" loc="&lt;HUPATH&gt;\hello.rtf" mime="text/rtf"/></dataSources>
 <primDocs><primDoc id="p1" name="Hello" loc="d1"><quotations><q id="q1" loc="2@2,4@2!"/></quotations></primDoc></primDocs>
 <links><objectSegmentLinks><codings><iLink obj="c1" qRef="q1"/></codings></objectSegmentLinks></links>
</storedHU>
)"));
    const QByteArray xmlBytes = testutil::ReadFile(xml);

    messages.files.append({xml});
    ClickMenuCommand(*frame, kFileMenu, CommandId::OpenProject);
    QCoreApplication::processEvents();
    const QString study = folder + QStringLiteral("/Study.kv4");
    EXPECT_EQ(OpenPath(), study);
    EXPECT_EQ(frame->LastProjectFolder(), folder);
    EXPECT_EQ(DocumentNames(db()), QStringList({QStringLiteral("Hello")}));
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 1);
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts.last(), LoadString(ImportsText::XmlImportDone));

    // Again through File, Import: the name is taken, so a free one is made.
    messages.files.append({xml});
    ClickImportCommand(*frame, ImportsText::XmlImportCommand);
    EXPECT_EQ(OpenPath(), folder + QStringLiteral("/Study(1).kv4"));
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 1);
    EXPECT_EQ(testutil::ReadFile(xml), xmlBytes);
}

TEST_F(ImportsTest, ConversionReportsToItsCaller)
{
    ShowFrame();
    // Without LibreOffice on the search path: no file, a clear reason, no
    // message.
    const QString source = dir.file(QStringLiteral("Brief.docx"));
    ASSERT_TRUE(testutil::WriteFile(source, "PK"));
    {
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", dir.path().toLocal8Bit());
        QString error;
        EXPECT_FALSE(frame->ConvertWithWordProcessor(source, dir.file(QStringLiteral("Brief.rtf")), error));
        qputenv("PATH", savedPath);
        EXPECT_TRUE(error.contains(QStringLiteral("libreoffice-writer-nogui"))) << error.toStdString();
        EXPECT_TRUE(messages.texts.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("Brief.rtf"))));
    }
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    // A batch of three, one of them unreadable, two of the same name: the
    // two good ones get their RTF, each checked on its own.
    const QString one = dir.file(QStringLiteral("a/Same.rtf"));
    const QString two = dir.file(QStringLiteral("b/Same.rtf"));
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("a"))) && QDir().mkpath(dir.file(QStringLiteral("b"))));
    ASSERT_TRUE(testutil::WriteFile(one, RtfLines({"first"})));
    ASSERT_TRUE(testutil::WriteFile(two, RtfLines({"second"})));
    QString docxOne, docxTwo, error;
    ASSERT_EQ(ConvertWithOffice(one, QStringLiteral("docx:MS Word 2007 XML"), dir.file(QStringLiteral("a")), docxOne,
                                error),
              OfficeConvertResult::Converted);
    ASSERT_EQ(ConvertWithOffice(two, QStringLiteral("docx:MS Word 2007 XML"), dir.file(QStringLiteral("b")), docxTwo,
                                error),
              OfficeConvertResult::Converted);
    const QString broken = dir.file(QStringLiteral("Kaputt.docx"));
    ASSERT_TRUE(testutil::WriteFile(broken, QByteArray("PK\x03\x04", 4) + " not really a document"));
    const QStringList targets = {dir.file(QStringLiteral("one.rtf")), dir.file(QStringLiteral("broken.rtf")),
                                 dir.file(QStringLiteral("two.rtf"))};
    QStringList errors;
    const QList<bool> done = frame->ConvertManyWithWordProcessor({docxOne, broken, docxTwo}, targets, errors);
    EXPECT_EQ(done, QList<bool>({true, false, true}));
    EXPECT_TRUE(testutil::ReadFile(targets[0]).contains("first"));
    EXPECT_TRUE(testutil::ReadFile(targets[2]).contains("second"));
    EXPECT_FALSE(QFileInfo::exists(targets[1]));
    EXPECT_TRUE(errors[1].contains(QStringLiteral("Kaputt.docx")));
    EXPECT_TRUE(messages.texts.isEmpty());
}

}  // namespace
