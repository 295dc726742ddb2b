#include "foundation/filehelpers.h"

#include "common/testutil.h"

#include <QBuffer>
#include <QDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

void Touch(const QString& path)
{
    ASSERT_TRUE(testutil::WriteFile(path, "x")) << path.toStdString();
}

}  // namespace

TEST(PathParts, SplitAtEitherSeparator)
{
    const struct {
        QString path;
        QString name;        // GetFileName
        QString cut;         // the argument after GetFileName with the cut flag
        QString title;       // GetFileTitle
        QString folder;      // GetFolderPart
        QString display;     // ShortenPathForDisplay
    } cases[] = {
        {"a/b/c.txt", "c.txt", "a/b", "c", "a/b", "..c.txt"},
        {"C:\\x\\y", "y", "C:\\x", "y", "C:\\x", "..y"},
        {"C:\\Data\\old/new.rtf", "new.rtf", "C:\\Data\\old", "new", "C:\\Data\\old", "..new.rtf"},
        {"/home/u\\report.final.txt", "report.final.txt", "/home/u", "report.final", "/home/u", "..report.final.txt"},
        {"report.final.txt", "", "report.final.txt", "report.final", "", "report.final.txt"},
        {"/top", "top", "", "top", "", "/top"},
        {"folder/", "", "folder", "", "folder", ".."},
        {"a.b/noext", "noext", "a.b", "noext", "a.b", "..noext"},
        {"", "", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QString path = c.path;
        EXPECT_EQ(GetFileName(path), c.name);
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(GetFileName(path, true), c.name);
        EXPECT_EQ(path, c.cut);
        EXPECT_EQ(GetFileTitle(c.path), c.title);
        EXPECT_EQ(GetFolderPart(c.path), c.folder);
        EXPECT_EQ(ShortenPathForDisplay(c.path), c.display);
    }
}

TEST(PathParts, TrailingSeparatorsGo)
{
    const std::pair<QString, QString> cases[] = {
        {"/a/b/", "/a/b"}, {"C:\\x\\", "C:\\x"}, {"/a//\\", "/a"}, {"/a", "/a"}, {"/", "/"}, {"//", "/"}, {"", ""},
    };
    for (const auto& [path, trimmed] : cases)
        EXPECT_EQ(WithoutTrailingSeparators(path), trimmed) << path.toStdString();
}

TEST(PathParts, SanitizedNamesStayInTheirFolder)
{
    const struct {
        QString name;
        bool alsoSpace;
        QString sanitized;
    } cases[] = {
        {"a:b??c", false, "a_b_c"},
        {"a\\b/c*d\"e<f>g|h", false, "a_b_c_d_e_f_g_h"},
        {"two words", false, "two words"},
        {"two  words", true, "two_words"},
        {"tab\there\nnew", false, "tab_here_new"},
        {"..", false, "_"},
        {".", false, "_"},
        {"../../etc/passwd", false, ".._.._etc_passwd"},
        {".hidden", false, ".hidden"},
        {"Zwölf.rtf", false, "Zwölf.rtf"},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        QString name = c.name;
        SanitizeFileName(name, c.alsoSpace);
        EXPECT_EQ(name, c.sanitized) << c.name.toStdString();
    }
}

TEST(PathParts, Utf16ByteOrderMark)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteUtf16Bom(buffer));
    EXPECT_EQ(bytes, QByteArray("\xFF\xFE"));
}

TEST(FilesAndFolders, TestsAndFolderCreation)
{
    testutil::TempDir dir;
    const QString file = dir.file("file.txt");
    const QString folder = dir.file("sub");
    Touch(file);
    ASSERT_TRUE(QDir().mkdir(folder));

    const struct {
        QString path;
        bool fileExists, isFolder, isFolderPath;
    } cases[] = {
        {file, true, false, false},
        {folder, false, true, true},
        {folder + "/", false, true, true},
        {folder + "\\", false, false, true},
        {dir.file("missing"), false, false, false},
        {"", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(FileExists(c.path), c.fileExists);
        EXPECT_EQ(IsExistingFolder(c.path), c.isFolder);
        EXPECT_EQ(IsFolderPath(c.path), c.isFolderPath);
    }

    EXPECT_TRUE(EnsureFolder(folder));
    EXPECT_TRUE(EnsureFolder(dir.file("a/b/c")));
    EXPECT_TRUE(IsExistingFolder(dir.file("a/b/c")));
    EXPECT_FALSE(EnsureFolder(file));
    EXPECT_FALSE(EnsureFolder(file + "/below"));
    EXPECT_FALSE(EnsureFolder(""));
}

TEST(FilesAndFolders, ReplaceByCopyKeepsTheTargetOnFailure)
{
    testutil::TempDir dir;
    const QString source = dir.file("source.bin");
    const QString target = dir.file("target.bin");
    ASSERT_TRUE(testutil::WriteFile(source, QByteArray(3 << 20, 'n')));
    ASSERT_TRUE(testutil::WriteFile(target, "old"));
    EXPECT_TRUE(ReplaceFileByCopy(source, target));
    EXPECT_EQ(testutil::ReadFile(target), QByteArray(3 << 20, 'n'));

    ASSERT_TRUE(testutil::WriteFile(target, "old"));
    EXPECT_FALSE(ReplaceFileByCopy(dir.file("missing"), target));
    EXPECT_FALSE(ReplaceFileByCopy(dir.path(), target));   // a folder reads nothing
    EXPECT_FALSE(ReplaceFileByCopy(source, dir.file("no/folder/target.bin")));
    EXPECT_EQ(testutil::ReadFile(target), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"source.bin", "target.bin"}));
}

TEST(FilesAndFolders, ListFilesLeavesFoldersOut)
{
    testutil::TempDir dir;
    Touch(dir.file("b.txt"));
    Touch(dir.file(".hidden"));
    Touch(dir.file("a.rtf"));
    QDir().mkdir(dir.file("folder"));
    QStringList paths = {"kept"};
    ListFilesInFolder(dir.path(), paths);
    EXPECT_EQ(paths, (QStringList{"kept", dir.file(".hidden"), dir.file("a.rtf"), dir.file("b.txt")}));
    ListFilesInFolder(dir.file("missing"), paths);
    EXPECT_EQ(paths.size(), 4);
}

TEST(UniqueNames, FilesGetTheFirstFreeNumber)
{
    testutil::TempDir dir;
    Touch(dir.file("x.txt"));
    Touch(dir.file("x(1).txt"));
    QDir().mkdir(dir.file("d.v"));
    Touch(dir.file("d.v/name"));

    const struct {
        QString path, unique;
    } cases[] = {
        {dir.file("x.txt"), dir.file("x(2).txt")},
        {dir.file("free.txt"), dir.file("free.txt")},
        {dir.file("d.v/name"), dir.file("d.v/name(1)")},   // the folder's dot is no extension
    };
    for (const auto& c : cases) {
        QString path = c.path;
        EXPECT_TRUE(MakeUniqueFileName(path));
        EXPECT_EQ(path, c.unique);
    }
}

TEST(UniqueNames, NoFreeFileNameIsAFailure)
{
    testutil::TempDir dir;
    Touch(dir.file("full.txt"));
    for (int i = 1; i <= 999; ++i)
        Touch(dir.file(QStringLiteral("full(%1).txt").arg(i)));
    QString path = dir.file("full.txt");
    EXPECT_FALSE(MakeUniqueFileName(path));
    EXPECT_EQ(path, dir.file("full.txt"));
}

TEST(UniqueNames, FoldersAreNumberedAndCreated)
{
    testutil::TempDir dir;
    QDir().mkdir(dir.file("out"));
    QDir().mkdir(dir.file("out(1)"));
    Touch(dir.file("plain"));

    const struct {
        QString path;
        bool result;
        QString unique;
    } cases[] = {
        {dir.file("out"), true, dir.file("out(2)")},
        {dir.file("out/"), true, dir.file("out(3)")},
        {dir.file("new/deep"), true, dir.file("new/deep")},
        {dir.file("plain"), false, dir.file("plain")},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        QString path = c.path;
        EXPECT_EQ(MakeUniqueFolderName(path), c.result) << c.path.toStdString();
        EXPECT_EQ(path, c.unique);
        EXPECT_EQ(IsExistingFolder(path), c.result);
    }
}

TEST(UniqueNames, NumberedNamesCountWithoutLookingAtTheDisk)
{
    const struct {
        QString name;
        int counter;
        QString numbered;
        int after;
    } cases[] = {
        {"x.rtf", 3, "x(03).rtf", 4},
        {"table.final.xlsx", 1, "table.final(01).xlsx", 2},
        {"noext", 12, "noext(12)", 13},
        {"v1.2/noext", 100, "v1.2/noext(100)", 101},
        {"", 5, "", 5},
    };
    for (const auto& c : cases) {
        int counter = c.counter;
        EXPECT_EQ(MakeNumberedName(c.name, counter), c.numbered);
        EXPECT_EQ(counter, c.after);
    }
}

TEST(ListTexts, SplitFirstAndSplitList)
{
    const struct {
        QString text, separator;
        QStringList parts;
    } firsts[] = {
        {"key=value=more", "=", {"key", "value=more"}},
        {"no separator", "=", {"", "no separator"}},
        {"a::b", "::", {"a", "b"}},
        {"", "=", {"", ""}},
    };
    for (const auto& c : firsts) {
        QString text = c.text;
        QStringList list = {"old"};
        SplitFirst(text, list, c.separator);
        EXPECT_EQ(list, c.parts) << c.text.toStdString();
        EXPECT_TRUE(text.isEmpty());
    }

    const struct {
        QString text;
        QStringList fields;
    } lists[] = {
        {"a|b|c", {"a", "b", "c"}},
        {"|a|b", {"a", "b"}},
        {"a|b|", {"a", "b"}},
        {"a||b", {"a", "", "b"}},
        {"single", {"single"}},
        {"|", {}},
        {"", {}},
    };
    for (const auto& c : lists) {
        QString text = c.text;
        QStringList list = {"old"};
        SplitList(text, list, u'|');
        EXPECT_EQ(list, c.fields) << c.text.toStdString();
        EXPECT_TRUE(text.isEmpty());
    }
}

TEST(ListTexts, IdLists)
{
    EXPECT_EQ(FormatIdList({12, 7, 30}), "12|7|30|");
    EXPECT_EQ(FormatIdList({}), "");
    EXPECT_EQ(FormatIdList({-4}), "-4|");

    const struct {
        QString text;
        QList<qint32> ids;
        QString trimmed;
    } cases[] = {
        {"12|7|30|", {12, 7, 30}, "12|7|30|"},
        {"5|0|9", {5}, "5|0|9"},
        {"  3|4|  ", {3, 4}, "3|4|"},
        {"x|8abc| 6|", {8, 6}, "x|8abc| 6|"},
        {"-2|99999999999|", {-2, 0x7FFFFFFF}, "-2|99999999999|"},
        {"", {}, ""},
    };
    for (const auto& c : cases) {
        QString text = c.text;
        QList<qint32> ids = {1};
        ParseIdList(text, ids);
        // As vectors: Qt 6.4 compares an emptied list with an empty one by
        // memcmp with a null pointer.
        EXPECT_EQ(std::vector<qint32>(ids.begin(), ids.end()), std::vector<qint32>(c.ids.begin(), c.ids.end()))
            << c.text.toStdString();
        EXPECT_EQ(text, c.trimmed);
    }
    EXPECT_TRUE(FindInIntArray(7, {1, 7}));
    EXPECT_FALSE(FindInIntArray(2, {1, 7}));
}

TEST(ListTexts, LeadingAndWholeIntegers)
{
    const struct {
        QString text;
        qint32 leading;
        std::optional<qint32> whole;
    } cases[] = {
        {"42", 42, 42},
        {"-7", -7, -7},
        {"+3", 3, 3},
        {"  12abc", 12, std::nullopt},
        {" 5", 5, std::nullopt},
        {"5 ", 5, std::nullopt},
        {"x1", 0, std::nullopt},
        {"", 0, std::nullopt},
        {"99999999999", 0x7FFFFFFF, std::nullopt},
        {"-99999999999", qint32(0x80000000), std::nullopt},
        {"0x10", 0, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadLeadingInt(c.text), c.leading) << c.text.toStdString();
        EXPECT_EQ(ReadWholeInt(c.text), c.whole) << c.text.toStdString();
    }
}

TEST(ListTexts, MarkersCaseAndArguments)
{
    QString text = "one\rtwo\r\nthree";
    ReplaceWithTilde(text);
    EXPECT_EQ(text, "one~~~~two~~~~\nthree");
    text = "a~~~~b~~~c^d";
    ReplaceLineMarkers(text);
    EXPECT_EQ(text, "a<BR>b~~~c&d");

    // One unit at a time: the dotted capital I, whose full lower case has
    // two units, stays as it is.
    QString mixed = QStringLiteral("ÄBC İx");
    EXPECT_EQ(LowerCase(mixed), QStringLiteral("äbc İx"));
    EXPECT_EQ(mixed.size(), 6);

    EXPECT_TRUE(StringEquals("EXTERN:", "EXTERN:"));
    EXPECT_FALSE(StringEquals("extern:", "EXTERN:"));
    EXPECT_TRUE(HasFileAndTimeArgs("file=a.mp3&time=00:01"));
    EXPECT_FALSE(HasFileAndTimeArgs("file=a.mp3"));
    EXPECT_FALSE(HasFileAndTimeArgs("FILE=a TIME=b"));
}

TEST(MediaTime, FormatAndParse)
{
    const struct {
        qint32 milliseconds;
        QString text;
    } formats[] = {
        {3725042, "01:02:05.042"}, {0, "00:00:00.000"}, {999, "00:00:00.999"},
        {-5000, "00:00:00.000"}, {0x7FFFFFFF, "596:31:23.647"},
    };
    for (const auto& c : formats)
        EXPECT_EQ(FormatMediaTime(c.milliseconds), c.text) << c.milliseconds;

    const struct {
        QString text;
        qint32 milliseconds;
    } parses[] = {
        {"01:02:05.042", 3725042},
        {"  00:00:01.5 ", 1005},
        {"05:30", 330000},          // minutes and seconds
        {"45", 45000},              // seconds
        {"12.250", 12250},
        {".7", 7},
        {"1:2:3:4", 3784000},       // the rest before the minutes reads as hours
        {"10x:20:30", 37230000},
        {"999999:00:00", 0x7FFFFFFF},
        {"", 0},
        {"abc", 0},
    };
    for (const auto& c : parses)
        EXPECT_EQ(ParseVersionSuffix(c.text), c.milliseconds) << c.text.toStdString();

    for (qint32 value : {0, 1, 59999, 3600000, 3725042, 86399999})
        EXPECT_EQ(ParseVersionSuffix(FormatMediaTime(value)), value);
}
