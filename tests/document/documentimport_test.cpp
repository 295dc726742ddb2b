// Document file import: each kind of file against the documents it makes,
// folders as groups, bad input reported and skipped, the large-file
// question, transcripts with their media file, and one transaction.

#include "objectstest.h"

#include "common/pdfbuilder.h"
#include "document/documentfileimport.h"
#include "foundation/externalfiles.h"
#include "foundation/richtexthelpers.h"
#include "platform/office/officeconverter.h"
#include "platform/rtf/richeditctrlex.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

using namespace doctest;

namespace {

QByteArray Utf16File(const QString& text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray PngOf(QSize size, bool noise)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    if (noise) {
        QRandomGenerator random(7);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, random.generate());
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

/// Every file below the folder with its bytes, to prove that nothing was
/// written beside the sources.
QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, testutil::ReadFile(path));
    }
    return files;
}

}  // namespace

class DocumentImportTest : public ObjectsTest {
protected:
    void SetUp() override
    {
        ObjectsTest::SetUp();
        BuildOptionDefinitions();
        ASSERT_TRUE(QDir().mkpath(Source(QString())));
        g_qdaOptions.SetString(QdaOption::ExternalsFolder, dir.file(QStringLiteral("externals")));
        g_qdaOptions.SetInt(QdaOption::LargeFileQuestionMB, 1);
        g_qdaOptions.SetBool(QdaOption::KeepEmbeddedObjects, false);
    }

    QString Source(const QString& name) const { return dir.file(QStringLiteral("sources/") + name); }
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString file = Source(name);
        QDir().mkpath(QFileInfo(file).absolutePath());
        EXPECT_TRUE(testutil::WriteFile(file, bytes));
        return file;
    }
    QList<qint32> Import(qint32 group, QStringList paths, bool noSizeQuestion = false)
    {
        QList<qint32> ids;
        DocumentFileImport(doc).Run(group, &paths, &ids, noSizeQuestion);
        return ids;
    }
    QString TextOf(qint32 document)
    {
        const QByteArray rtf = BlobOf(db(), TopicId::Documents, document, DocumentField::Text);
        const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        edit->StreamInRtf(&rtf, false);
        return edit->GetTextRange(0, edit->GetTextLength());
    }
    qint32 Int(qint32 document, qint32 field) { return Value(TopicId::Documents, document, field).toInt(); }
    /// The texts shown that report a skipped file.
    QStringList Refusals() const
    {
        QStringList found;
        for (const QString& text : messages.texts)
            if (text.startsWith(LoadString(ImportText::CannotImport)))
                found.append(text);
        return found;
    }
};

TEST_F(DocumentImportTest, EachFileBecomesADocumentOfItsKindOrIsReportedAndSkipped)
{
    const QByteArray pdf = testutil::MakePdf(QSizeF(300, 200), {testutil::TextLines({QStringLiteral("Scan text")})});
    const QByteArray png = PngOf(QSize(20, 10), false);
    struct Case {
        const char* name;
        QByteArray bytes;
        qint32 kind;     // -1: refused
        QString text;    // rich text: the document's text
    };
    const Case cases[] = {
        {"notes.rtf", RtfOf({QStringLiteral("Rich one"), QStringLiteral("two")}), DocumentKind::RichText,
         QStringLiteral("Rich one\rtwo")},
        {"wide.txt", Utf16File(QStringLiteral("Grüße\r\nzwei")), DocumentKind::RichText, QStringLiteral("Grüße\rzwei")},
        {"utf8.txt", QByteArray("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"), DocumentKind::RichText,
         QStringLiteral("Grüße €")},
        {"ansi.TXT", QByteArray("Gr\xFC\xDF" "e \x80"), DocumentKind::RichText, QStringLiteral("Grüße €")},
        // The mark is no part of the text.
        {"marked.txt", QByteArray("\xEF\xBB\xBF" "Gr\xC3\xBC\xC3\x9F" "e"), DocumentKind::RichText,
         QStringLiteral("Grüße")},
        {"scan.pdf", pdf, DocumentKind::Pdf, {}},
        {"photo.png", png, DocumentKind::Picture, {}},
        {"cut.pdf", pdf.left(pdf.size() / 2), -1, {}},
        {"text.jpg", "this is no picture", -1, {}},
        {"plain.rtf", "no rich text here", -1, {}},
    };
    QStringList paths;
    for (const Case& c : cases)
        paths.append(Write(QLatin1String(c.name), c.bytes));
    // Not accepted: left out of the list and of the ids.
    paths.insert(2, Write(QStringLiteral("setup.exe"), "MZ"));
    const QMap<QString, QByteArray> before = Snapshot(Source(QString()));

    const qint32 group = doc.NewDocumentGroupNamed(QStringLiteral("Target"));
    log.Take();
    const QList<qint32> ids = Import(group, paths);

    ASSERT_EQ(ids.size(), std::size(cases));
    QStringList refused;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        if (c.kind < 0) {
            EXPECT_EQ(ids[i], 0);
            refused.append(Source(QLatin1String(c.name)));
            continue;
        }
        ASSERT_NE(ids[i], 0);
        EXPECT_EQ(Value(TopicId::Documents, ids[i], DocumentField::Name), QFileInfo(QLatin1String(c.name)).completeBaseName());
        EXPECT_EQ(Int(ids[i], DocumentField::GroupID), group);
        EXPECT_EQ(Int(ids[i], DocumentField::DocType), c.kind);
        if (c.kind == DocumentKind::RichText) {
            EXPECT_EQ(TextOf(ids[i]), c.text);
            EXPECT_EQ(Int(ids[i], DocumentField::Size), c.text.size());
        } else {
            EXPECT_EQ(BlobOf(db(), TopicId::Documents, ids[i], DocumentField::Text), c.bytes);
            EXPECT_EQ(Int(ids[i], DocumentField::Size), c.bytes.size());
        }
    }
    // Each refusal names its file, in the order of the files.
    const QStringList shown = Refusals();
    ASSERT_EQ(shown.size(), refused.size());
    for (qsizetype i = 0; i < refused.size(); ++i)
        EXPECT_TRUE(shown[i].contains(refused[i])) << shown[i].toStdString();
    // The documents are announced in the order of the files, once written.
    const Calls calls = log.Take();
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls.front(), "pane.OnObjectAdded(" + N(TopicId::Documents) + "," + N(ids[0]) + ",-1," +
                                 N(TopicId::DocumentGroups) + "," + N(group) + ",0)");
    EXPECT_EQ(Snapshot(Source(QString())), before);
}

TEST_F(DocumentImportTest, AFolderBecomesAGroupOfItsAcceptedFiles)
{
    Write(QStringLiteral("Interviews/b.rtf"), RtfOf({QStringLiteral("B")}));
    Write(QStringLiteral("Interviews/a.txt"), "A");
    Write(QStringLiteral("Interviews/tool.exe"), "MZ");
    const QString single = Write(QStringLiteral("single.txt"), "S");
    QStringList paths{Source(QStringLiteral("Interviews")), single};
    QList<qint32> ids;
    DocumentFileImport(doc).Run(0, &paths, &ids, false);

    // The folder left the list; the id list holds the remaining file.
    EXPECT_EQ(paths, QStringList{single});
    ASSERT_EQ(ids.size(), 1);
    EXPECT_EQ(Int(ids[0], DocumentField::GroupID), 0);
    QList<qint32> groups;
    db().GetAllKeys(TopicId::DocumentGroups, groups);
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(Value(TopicId::DocumentGroups, groups[0], GroupField::Name), QStringLiteral("Interviews"));
    QList<qint32> documents;
    db().GetAllKeys(TopicId::Documents, documents);
    ASSERT_EQ(documents.size(), 3);
    EXPECT_EQ(Value(TopicId::Documents, documents[0], DocumentField::Name), QStringLiteral("a"));
    EXPECT_EQ(Value(TopicId::Documents, documents[1], DocumentField::Name), QStringLiteral("b"));
    EXPECT_EQ(Int(documents[0], DocumentField::GroupID), groups[0]);
    EXPECT_EQ(Int(documents[1], DocumentField::GroupID), groups[0]);
    EXPECT_TRUE(Refusals().isEmpty());
}

TEST_F(DocumentImportTest, WordFilesAreConvertedOutsideTheirFolderOrReported)
{
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    // A Word file made by LibreOffice, named in capitals, an .rtf of the
    // same name beside it that a conversion there would overwrite, and a
    // broken Word file, reported and skipped.
    testutil::TempDir work;
    const QString rtfSource = work.file(QStringLiteral("memo.rtf"));
    ASSERT_TRUE(testutil::WriteFile(rtfSource, RtfOf({QStringLiteral("From Word")})));
    QString made;
    QString error;
    ASSERT_EQ(ConvertWithOffice(rtfSource, QStringLiteral("docx:MS Word 2007 XML"), work.path(), made, error),
              OfficeConvertResult::Converted)
        << error.toStdString();
    const QByteArray docx = testutil::ReadFile(made);
    const QString word = Write(QStringLiteral("memo.DOCX"), docx);
    const QString beside = Write(QStringLiteral("memo.rtf"), RtfOf({QStringLiteral("Beside")}));
    // A Word file cut in half: LibreOffice cannot load it.
    const QString broken = Write(QStringLiteral("cut.docx"), docx.left(docx.size() / 2));
    const QMap<QString, QByteArray> before = Snapshot(Source(QString()));

    const QList<qint32> ids = Import(0, {word, beside, broken});
    ASSERT_EQ(ids.size(), 3);
    ASSERT_NE(ids[0], 0);
    EXPECT_EQ(TextOf(ids[0]).trimmed(), QStringLiteral("From Word"));
    EXPECT_EQ(Value(TopicId::Documents, ids[0], DocumentField::Name), QStringLiteral("memo"));
    ASSERT_NE(ids[1], 0);
    EXPECT_EQ(TextOf(ids[1]), QStringLiteral("Beside"));
    EXPECT_EQ(ids[2], 0);
    const QStringList shown = Refusals();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(broken)) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(LoadString(ImportText::NotConverted))) << shown[0].toStdString();
    EXPECT_EQ(db().GetRowCount(TopicId::Documents), 2);
    EXPECT_EQ(Snapshot(Source(QString())), before);
}

TEST_F(DocumentImportTest, TheLargeFileQuestionEmbedsLinksOrSkips)
{
    const QByteArray big = PngOf(QSize(700, 700), true);
    ASSERT_GE(big.size(), 1048576);
    struct Case {
        const char* name;
        QList<MessageAnswer> answers;
        bool noSizeQuestion;
        bool made;
        bool linked;
    };
    const Case cases[] = {
        {"Yes stores the file", {MessageAnswer::Yes}, false, true, false},
        {"No links it", {MessageAnswer::No}, false, true, true},
        {"Cancel skips it", {MessageAnswer::Cancel}, false, false, false},
        {"the flag stores it unasked", {}, true, true, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QStringLiteral("big%1.png").arg(++n);
        const QString file = Write(name, big);
        const QString copy = QDir(dir.file(QStringLiteral("externals"))).filePath(name);
        testutil::ScriptedMessages answers(c.answers);
        const QList<qint32> ids = Import(0, {file}, c.noSizeQuestion);
        EXPECT_EQ(answers.texts.size(), c.answers.size());
        ASSERT_EQ(ids.size(), 1);
        EXPECT_EQ(ids[0] != 0, c.made);
        if (!c.made)
            continue;
        const QByteArray content = BlobOf(db(), TopicId::Documents, ids[0], DocumentField::Text);
        EXPECT_EQ(Int(ids[0], DocumentField::DocType), DocumentKind::Picture);
        // The store reads a linked file's bytes through its link: the size
        // tells a link (no size) from a stored file.
        EXPECT_TRUE(content == big);
        if (c.linked) {
            EXPECT_EQ(Int(ids[0], DocumentField::Size), 0);
            EXPECT_TRUE(testutil::ReadFile(copy) == big);
        } else {
            EXPECT_EQ(Int(ids[0], DocumentField::Size), big.size());
            EXPECT_FALSE(QFile::exists(copy));
        }
    }
}

TEST_F(DocumentImportTest, ATranscriptBringsItsMediaFileAndTimeMarks)
{
    const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
    if (sox.isEmpty())
        GTEST_SKIP() << "sox is not installed";
    const QString wav = Source(QStringLiteral("talk.wav"));
    ASSERT_EQ(QProcess::execute(sox, {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("8000"),
                                      QStringLiteral("-c"), QStringLiteral("1"), wav, QStringLiteral("trim"),
                                      QStringLiteral("0"), QStringLiteral("2")}),
              0);
    Write(QStringLiteral("empty.wav"), QByteArray());
    const auto transcript = [](const char* media) {
        return QByteArray("{\\rtf1\\ansi Start {\\field{\\*\\fldinst HYPERLINK \"file=") + media +
               " time=1500\"}{\\fldrslt [1]}}\\par Second}";
    };
    const QString talk = Write(QStringLiteral("talk.rtf"), transcript("talk.wav"));
    const QString silent = Write(QStringLiteral("silent.rtf"), transcript("empty.wav"));

    const QList<qint32> ids = Import(0, {talk, silent});
    ASSERT_EQ(ids.size(), 2);
    ASSERT_NE(ids[0], 0);
    EXPECT_EQ(Value(TopicId::Documents, ids[0], DocumentField::MediaFile), wav);
    EXPECT_EQ(TextOf(ids[0]), QStringLiteral("Start [1]\rSecond"));
    QList<MediaTimestamp> marks;
    ASSERT_TRUE(doc.LoadDocumentTimestamps(ids[0], marks));
    ASSERT_EQ(marks.size(), 2);
    EXPECT_EQ(marks[0].end, 1500);
    EXPECT_EQ(marks[1].startChar, 10);
    EXPECT_EQ(marks[1].begin, 1500);
    EXPECT_EQ(marks[1].end, 2000);  // the last segment ends with the media
    EXPECT_TRUE(QFile::exists(QDir(dir.file(QStringLiteral("externals"))).filePath(QStringLiteral("talk.wav"))));

    // An empty media file: reported after its name, no media, no marks.
    ASSERT_NE(ids[1], 0);
    EXPECT_EQ(Value(TopicId::Documents, ids[1], DocumentField::MediaFile), QString());
    ASSERT_TRUE(doc.LoadDocumentTimestamps(ids[1], marks));
    EXPECT_TRUE(marks.isEmpty());
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts.last(),
              Source(QStringLiteral("empty.wav")) + QLatin1Char(' ') + LoadString(ImportText::MediaEmpty));
}

TEST_F(DocumentImportTest, AMissingMediaFileIsAskedForThenTheQuestionDecides)
{
    const QString lost = Write(QStringLiteral("lost.rtf"),
                               "{\\rtf1\\ansi A {\\field{\\*\\fldinst HYPERLINK \"file=gone.mp3 time=900\"}"
                               "{\\fldrslt [1]}}\\par B}");
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        testutil::ScriptedMessages answers({answer});
        const QList<qint32> ids = Import(0, {lost});
        ASSERT_EQ(answers.prompts.size(), 1);  // the file prompt, cancelled
        EXPECT_EQ(answers.prompts[0].path, QFileInfo(lost).absolutePath());
        ASSERT_EQ(answers.texts, QStringList{LoadString(ImportText::MediaNotFound)});
        ASSERT_EQ(ids.size(), 1);
        if (answer == MessageAnswer::No) {
            EXPECT_EQ(ids[0], 0);
            continue;
        }
        ASSERT_NE(ids[0], 0);
        EXPECT_EQ(Value(TopicId::Documents, ids[0], DocumentField::MediaFile), QString());
    }
}

TEST_F(DocumentImportTest, AFailedWriteLeavesProjectAndPanesAsTheyWere)
{
    Write(QStringLiteral("Folder/one.txt"), "one");
    const QString two = Write(QStringLiteral("two.txt"), "two");
    const QString big = Write(QStringLiteral("big.png"), PngOf(QSize(700, 700), true));
    const QString copy = QDir(dir.file(QStringLiteral("externals"))).filePath(QStringLiteral("big.png"));
    // The second document is refused: the group and the first go too, and
    // the copy made for the linked picture is removed again.
    ExpectRefusedWrite(
        QStringLiteral("CREATE TRIGGER [refuse] BEFORE INSERT ON [Texts] WHEN NEW.[Name] = 'two' "
                       "BEGIN SELECT RAISE(ABORT, 'refused'); END;"),
        [&] {
            testutil::ScriptedMessages answers({MessageAnswer::No});
            const QList<qint32> ids = Import(0, {Source(QStringLiteral("Folder")), two, big});
            EXPECT_EQ(ids, (QList<qint32>{0, 0}));
            EXPECT_EQ(db().GetRowCount(TopicId::Documents), 0);
            EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 0);
            EXPECT_EQ(answers.texts.last(), LoadString(ImportText::NotWritten));
            EXPECT_FALSE(QFile::exists(copy));
        });
}

