#include "foundation/externalfiles.h"

#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"

#include "common/scriptedmessages.h"
#include "common/testutil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <unzip.h>
#include <zip.h>

#include <gtest/gtest.h>

using testutil::ReadFile;
using testutil::WriteFile;

namespace {

/// Points the default externals folder into a temporary folder and restores
/// the program-wide values afterwards.
class ExternalFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedProgram = g_program;
        m_savedOption = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
        g_program.PortableMode = false;
        g_program.PersonalFolder = dir.path();
        g_program.ProgramFolder = dir.file(QStringLiteral("program/"));
        g_program.OptionsFilePath.clear();
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        BuildOptionDefinitions();
        externals = dir.file(QStringLiteral("KORVAN_Externals"));
        ASSERT_TRUE(QDir().mkpath(externals));
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        g_program = m_savedProgram;
        g_qdaOptions.SetString(QdaOption::ExternalsFolder, m_savedOption);
    }

    QString Make(const QString& relative, const QByteArray& bytes = "data")
    {
        const QString path = dir.file(relative);
        QDir().mkpath(QFileInfo(path).path());
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    testutil::TempDir dir;
    QString externals;

private:
    ProgramPaths m_savedProgram;
    QString m_savedOption;
};

QByteArray Utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

struct RawEntry {
    QByteArray name;  // as stored
    QByteArray data;
    bool utf8Flag = true;
    bool symlink = false;
    int host = 3;            // the upper byte of "version made by": 0 DOS, 3 Unix
    QByteArray extraField = {};   // the central directory's extra field
};

/// An archive with entry names exactly as given, as a hostile or foreign
/// program would write it.
void WriteRawZip(const QString& path, const QList<RawEntry>& entries)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    for (const RawEntry& entry : entries) {
        zip_fileinfo info{};
        info.tmz_date = {0, 0, 12, 1, 0, 2020};
        if (entry.symlink)
            info.external_fa = uLong(0120777) << 16;
        ASSERT_EQ(zipOpenNewFileInZip4_64(zip, entry.name.constData(), &info, nullptr, 0,
                                          entry.extraField.isEmpty() ? nullptr : entry.extraField.constData(),
                                          uInt(entry.extraField.size()), nullptr, Z_DEFLATED, 6, 0, -MAX_WBITS,
                                          DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, uLong(entry.host) << 8,
                                          entry.utf8Flag ? 0x800 : 0, 0),
                  ZIP_OK);
        zipWriteInFileInZip(zip, entry.data.constData(), unsigned(entry.data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

/// Name, general purpose flag and time of every entry.
struct EntryInfo {
    QByteArray name;
    uLong flag;
    QDateTime time;
};
QList<EntryInfo> ListZip(const QString& path)
{
    QList<EntryInfo> list;
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    if (!zip)
        return list;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        char name[512] = {};
        unzGetCurrentFileInfo64(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0);
        const tm_unz& t = info.tmu_date;
        list.append({QByteArray(name), info.flag,
                     QDateTime(QDate(int(t.tm_year), int(t.tm_mon) + 1, int(t.tm_mday)),
                               QTime(int(t.tm_hour), int(t.tm_min), int(t.tm_sec)))});
    }
    unzClose(zip);
    return list;
}

}  // namespace

TEST(LinkTargets, AddressesAreRecognisedByTheirStart)
{
    const struct {
        const char* target;
        bool address;
    } cases[] = {
        {"www.example.org/a", true}, {"WWW.EXAMPLE.ORG", true}, {"http://x.de", true}, {"HTTP://X.DE", true},
        {"https://x.de/a?b", true},  {"ftp://host/f", true},     {"wwwexample.org", false}, {"/home/a/www.txt", false},
        {"C:\\Docs\\a.pdf", false},  {"report.pdf", false},      {"://x", false},        {"", false},
        {"mailto:ann@example.org", true}, {"file:///tmp/a.txt", true}, {"c:/docs/a.pdf", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLinkAddress(QString::fromUtf8(c.target)), c.address) << c.target;
}

TEST(LinkTargets, ExternPrefixIsTakenFromUtf16Blobs)
{
    const QByteArray marker = Utf16(QStringLiteral("EXTERN:"));
    const struct {
        QByteArray blob;
        const char16_t* path;
    } cases[] = {
        {Utf16(QStringLiteral("EXTERN:/data/ä b.pdf")), u"/data/ä b.pdf"},
        {Utf16(QStringLiteral("EXTERN:C:\\x.pdf")) + QByteArray(4, '\0'), u"C:\\x.pdf"},  // stored NULs dropped
        {marker, u""},
        {Utf16(QStringLiteral("extern:/x.pdf")), u""},
        {marker.left(12), u""},                                  // shorter than the marker
        {Utf16(QStringLiteral("EXTERN:/ab")) + "c", u"/ab"},     // an odd last byte is not a unit
        {QByteArray("{\\rtf1 EXTERN:}"), u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripExternPrefix(&c.blob), QString::fromUtf16(c.path)) << c.blob.toHex().constData();
    EXPECT_EQ(StripExternPrefix(nullptr), QString());
}

TEST_F(ExternalFiles, DefaultFolderFollowsThePortableFlagAndTheOption)
{
    EXPECT_EQ(GetDefaultExternalsFolder(), dir.path() + QStringLiteral("/KORVAN_Externals"));
    EXPECT_EQ(GetExternalsFolder(), GetDefaultExternalsFolder());
    g_program.PortableMode = true;
    EXPECT_EQ(GetDefaultExternalsFolder(), dir.file(QStringLiteral("program/KORVAN_Externals")));
    g_qdaOptions.SetString(QdaOption::ExternalsFolder, QStringLiteral("/srv/ext/"));
    EXPECT_EQ(GetExternalsFolder(), QStringLiteral("/srv/ext"));
}

TEST_F(ExternalFiles, ResolveFindsAFileWhereverItIs)
{
    const QString stored = Make(QStringLiteral("docs/stored.txt"), "12345");
    Make(QStringLiteral("KORVAN_Externals/Report.PDF"), "pdf");
    Make(QStringLiteral("project/beside.txt"), "b");
    const QString second = dir.file(QStringLiteral("project"));

    QString folder;  // empty: the default folder, written back once it is searched
    ExternalLinkInfo info;
    EXPECT_EQ(ResolveLinkTarget(stored, folder, second, &info), stored);
    EXPECT_EQ(info.location, LinkLocation::StoredPath);
    EXPECT_TRUE(info.isFile);
    EXPECT_TRUE(info.sizeKnown);
    EXPECT_EQ(info.size, 5);
    EXPECT_EQ(info.fileName, QStringLiteral("stored.txt"));
    EXPECT_EQ(info.folderOrAddress, dir.file(QStringLiteral("docs")));

    // A path written on Windows, and a name that differs in case only.
    EXPECT_EQ(ResolveLinkTarget(QStringLiteral("C:\\Users\\ann\\report.pdf"), folder, second, &info),
              externals + QStringLiteral("/Report.PDF"));
    EXPECT_EQ(folder, externals);
    EXPECT_EQ(info.location, LinkLocation::SearchFolder);
    EXPECT_EQ(info.fileName, QStringLiteral("report.pdf"));
    EXPECT_EQ(info.folderOrAddress, QStringLiteral("C:\\Users\\ann"));

    EXPECT_EQ(ResolveLinkTarget(QStringLiteral("/gone/beside.txt"), folder, second, &info),
              second + QStringLiteral("/beside.txt"));
    EXPECT_EQ(info.location, LinkLocation::SearchFolder);

    EXPECT_EQ(ResolveLinkTarget(QStringLiteral("/gone/missing.txt"), folder, second, &info), QString());
    EXPECT_EQ(info.location, LinkLocation::NotFound);
    EXPECT_TRUE(info.isFile);
    EXPECT_FALSE(info.sizeKnown);
    EXPECT_EQ(info.fileName, QStringLiteral("missing.txt"));

    // Without any separator there is no file name to look up.
    Make(QStringLiteral("KORVAN_Externals/plain.txt"));
    EXPECT_EQ(ResolveLinkTarget(QStringLiteral("plain.txt"), folder, second, &info), QString());
    EXPECT_EQ(info.fileName, QString());
    // Components that step out of a folder are not names.
    EXPECT_EQ(ResolveLinkTarget(QStringLiteral("/x/.."), folder, second), QString());

    EXPECT_EQ(ResolveLinkTarget(QStringLiteral("https://example.org/a"), folder, second, &info),
              QStringLiteral("https://example.org/a"));
    EXPECT_FALSE(info.isFile);
    EXPECT_EQ(info.folderOrAddress, QStringLiteral("https://example.org/a"));
    EXPECT_EQ(info.fileName, QString());
}

// A stored target can name a program: it is started only when the user
// agrees. (Opening is left to the desktop, so only refusals run here.)
TEST_F(ExternalFiles, ProgramsAreOpenedOnlyWhenTheUserAgrees)
{
    const QString script = Make(QStringLiteral("KORVAN_Externals/run"), "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner));
    const QString launcher = Make(QStringLiteral("KORVAN_Externals/start.desktop"), "[Desktop Entry]\n");
    QString folder;
    // The program found in the externals folder by its name, and a launcher at its path.
    for (const auto& [target, found] : {std::pair{QStringLiteral("C:\\tools\\run"), script}, {launcher, launcher}}) {
        testutil::ScriptedMessages messages({MessageAnswer::No});
        EXPECT_FALSE(OpenLinkTarget(target, folder, QString())) << target.toStdString();
        ASSERT_EQ(messages.texts.size(), 1) << target.toStdString();
        EXPECT_TRUE(messages.texts.first().contains(found)) << messages.texts.first().toStdString();
    }
    testutil::ScriptedMessages none;
    EXPECT_FALSE(OpenLinkTarget(QStringLiteral("/gone/missing.txt"), folder, QString()));
    EXPECT_TRUE(none.texts.isEmpty());
}

TEST_F(ExternalFiles, CopyAsksBeforeReplacingAndStaysInTheFolder)
{
    const QString source = Make(QStringLiteral("in/photo.jpg"), "new");
    QString folder;
    EXPECT_TRUE(CopyToExternalsFolder(source, folder));
    EXPECT_EQ(ReadFile(externals + QStringLiteral("/photo.jpg")), QByteArray("new"));

    WriteFile(externals + QStringLiteral("/photo.jpg"), "old");
    {
        testutil::ScriptedMessages messages({MessageAnswer::No});
        EXPECT_TRUE(CopyToExternalsFolder(source, folder));
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("photo.jpg")));
    }
    EXPECT_EQ(ReadFile(externals + QStringLiteral("/photo.jpg")), QByteArray("old"));
    {
        testutil::ScriptedMessages messages({MessageAnswer::Yes});
        EXPECT_TRUE(CopyToExternalsFolder(source, folder));
    }
    EXPECT_EQ(ReadFile(externals + QStringLiteral("/photo.jpg")), QByteArray("new"));

    // A link in the folder is never written through.
    const QString outside = Make(QStringLiteral("outside.jpg"), "keep");
    ASSERT_TRUE(QFile::link(outside, externals + QStringLiteral("/linked.jpg")));
    EXPECT_FALSE(CopyToExternalsFolder(Make(QStringLiteral("in/linked.jpg"), "evil"), folder));
    EXPECT_EQ(ReadFile(outside), QByteArray("keep"));
    EXPECT_FALSE(CopyToExternalsFolder(QStringLiteral("/in/.."), folder));
}

TEST_F(ExternalFiles, CopyNamesAndDeletionStayInsideTheExternalsFolder)
{
    Make(QStringLiteral("KORVAN_Externals/Clip.mp3"));
    Make(QStringLiteral("KORVAN_Externals/notes.txt"));
    const QString outside = Make(QStringLiteral("notes.txt"), "outside");
    QString folder;
    EXPECT_EQ(GetExternalCopyName(QStringLiteral("D:\\audio\\clip.MP3"), folder), QStringLiteral("Clip.mp3"));
    EXPECT_EQ(GetExternalCopyName(QStringLiteral("www.example.org"), folder), QString());
    EXPECT_EQ(GetExternalCopyName(QStringLiteral("../../.."), folder), QString());
    EXPECT_EQ(GetExternalCopyName(QStringLiteral("/x/absent.txt"), folder), QString());

    QStringList onlyAddresses{QStringLiteral("http://a.de"), QStringLiteral("www.b.de")};
    {
        testutil::ScriptedMessages messages;  // asks nothing
        EXPECT_TRUE(DeleteExternalCopies(onlyAddresses));
    }

    const QStringList targets{QStringLiteral("D:\\audio\\clip.MP3"), QStringLiteral("../notes.txt"),
                              QStringLiteral("http://a.de"), QStringLiteral("/no/such.file")};
    QStringList declined = targets;
    {
        testutil::ScriptedMessages messages({MessageAnswer::No});
        EXPECT_FALSE(DeleteExternalCopies(declined));
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts.first().startsWith(QStringLiteral("Clip.mp3\nnotes.txt\n\n")));
    }
    EXPECT_TRUE(QFile::exists(externals + QStringLiteral("/Clip.mp3")));

    QStringList accepted = targets;
    {
        testutil::ScriptedMessages messages({MessageAnswer::Yes});
        EXPECT_TRUE(DeleteExternalCopies(accepted));
    }
    EXPECT_EQ(accepted, (QStringList{QStringLiteral("Clip.mp3"), QStringLiteral("notes.txt"), {}, {}}));
    EXPECT_FALSE(QFile::exists(externals + QStringLiteral("/Clip.mp3")));
    EXPECT_FALSE(QFile::exists(externals + QStringLiteral("/notes.txt")));
    EXPECT_EQ(ReadFile(outside), QByteArray("outside"));
}

TEST_F(ExternalFiles, ZipRoundTripKeepsNamesBytesAndTimes)
{
    const QString a = Make(QStringLiteral("one/Übersicht Käse.txt"), QByteArray(100000, 'k'));
    const QString b = Make(QStringLiteral("two/Übersicht Käse.txt"), "second");
    const QString c = Make(QStringLiteral("two/日本.bin"), QByteArray("\x00\x01\xFF", 3));
    const QDateTime when(QDate(2019, 5, 17), QTime(14, 30, 10));
    {
        QFile file(a);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }
    const QString archive = dir.file(QStringLiteral("pack.zip"));
    QStringList failed;
    EXPECT_TRUE(ZipFileList(archive, {a, b, c}, &failed));
    EXPECT_TRUE(failed.isEmpty());

    const QList<EntryInfo> entries = ListZip(archive);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(QString::fromUtf8(entries[0].name), QStringLiteral("Übersicht Käse.txt"));
    EXPECT_EQ(QString::fromUtf8(entries[1].name), QStringLiteral("Übersicht Käse(01).txt"));
    EXPECT_EQ(QString::fromUtf8(entries[2].name), QStringLiteral("日本.bin"));
    for (const EntryInfo& entry : entries)
        EXPECT_TRUE(entry.flag & 0x800) << entry.name.constData();
    EXPECT_EQ(entries[0].time, when);

    const QString out = dir.file(QStringLiteral("out"));
    EXPECT_TRUE(ExtractZipArchive(archive, out));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/Übersicht Käse.txt")), ReadFile(a));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/Übersicht Käse(01).txt")), QByteArray("second"));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/日本.bin")), ReadFile(c));
    EXPECT_EQ(QFileInfo(out + QStringLiteral("/Übersicht Käse.txt")).lastModified(), when);
}

TEST_F(ExternalFiles, ZipReportsFilesItCouldNotAdd)
{
    const QString present = Make(QStringLiteral("a.txt"));
    const QString archive = dir.file(QStringLiteral("pack.zip"));
    WriteFile(archive, "an older archive");
    QStringList failed;
    EXPECT_FALSE(ZipFileList(archive, {present, dir.file(QStringLiteral("absent.txt"))}, &failed));
    EXPECT_EQ(failed, QStringList{dir.file(QStringLiteral("absent.txt"))});
    ASSERT_EQ(ListZip(archive).size(), 1);

    // An archive that cannot be written leaves nothing behind.
    EXPECT_FALSE(ZipFileList(dir.file(QStringLiteral("no/such/folder/x.zip")), {present}, &failed));
}

TEST_F(ExternalFiles, ExtractionRefusesEntriesThatLeaveTheFolder)
{
    const QString archive = dir.file(QStringLiteral("hostile.zip"));
    WriteRawZip(archive, {
                             {"../escape.txt", "x"},
                             {"/etc/absolute.txt", "x"},
                             {"C:/drive.txt", "x"},
                             {"c:relative-drive.txt", "x"},
                             {"ok/../../up.txt", "x"},
                             {"sub\\..\\..\\back.txt", "x"},
                             {"link", "/etc/passwd", true, true},
                             {"ok/", ""},
                             {"ok/good.txt", "good"},
                             {"win\\style.txt", "backslashes"},
                             {"\x81" "ber.txt", "cp437", false, false, 0},
                             {"x\xFD\xFE\xFF.txt", "top of cp437", false, false, 0},
                             {"viaLink/x.txt", "x"},
                             {"outsideLink.txt", "replaced"},
                         });
    const QString out = dir.file(QStringLiteral("target"));
    const QString elsewhere = dir.file(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(out));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, out + QStringLiteral("/viaLink")));
    const QString victim = Make(QStringLiteral("victim.txt"), "untouched");
    ASSERT_TRUE(QFile::link(victim, out + QStringLiteral("/outsideLink.txt")));

    QStringList refused;
    testutil::ScriptedMessages messages({MessageAnswer::Yes});
    EXPECT_TRUE(ExtractZipArchive(archive, out, &refused));

    EXPECT_EQ(refused, (QStringList{"../escape.txt", "/etc/absolute.txt", "C:/drive.txt", "c:relative-drive.txt",
                                    "ok/../../up.txt", "sub\\..\\..\\back.txt", "link", "viaLink/x.txt"}));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/ok/good.txt")), QByteArray("good"));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/win/style.txt")), QByteArray("backslashes"));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/über.txt")), QByteArray("cp437"));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/x²■\u00A0.txt")), QByteArray("top of cp437"));
    // The link in the way was replaced by the entry, not written through.
    EXPECT_FALSE(QFileInfo(out + QStringLiteral("/outsideLink.txt")).isSymLink());
    EXPECT_EQ(ReadFile(out + QStringLiteral("/outsideLink.txt")), QByteArray("replaced"));
    EXPECT_EQ(ReadFile(victim), QByteArray("untouched"));
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    for (const char* name : {"escape.txt", "up.txt", "back.txt", "drive.txt"})
        EXPECT_FALSE(QFile::exists(dir.file(QString::fromLatin1(name)))) << name;
}

/// The Unicode path extra field: version 1, the CRC-32 of the stored name,
/// the name in UTF-8.
QByteArray UnicodePathField(const QByteArray& storedName, const QString& name, quint32 crcChange = 0)
{
    const QByteArray utf8 = name.toUtf8();
    QByteArray field(9, '\0');
    qToLittleEndian<quint16>(0x7075, field.data());
    qToLittleEndian<quint16>(quint16(5 + utf8.size()), field.data() + 2);
    field[4] = 1;
    const quint32 crc =
        quint32(crc32(0, reinterpret_cast<const Bytef*>(storedName.constData()), uInt(storedName.size())));
    qToLittleEndian<quint32>(crc ^ crcChange, field.data() + 5);
    return field + utf8;
}

// Names without the UTF-8 flag, as Unix tools and others write them.
TEST_F(ExternalFiles, EntryNamesAreReadAsTheirWriterMeantThem)
{
    const QByteArray cp437Name = "\x94l f\x81r.txt";   // "öl für.txt" in code page 437
    const QString archive = dir.file(QStringLiteral("names.zip"));
    WriteRawZip(archive, {
                             {QString::fromUtf8("Größe.txt").toUtf8(), "unix", false, false, 3},
                             {QString::fromUtf8("naïve.txt").toUtf8(), "valid utf-8", false, false, 0},
                             {cp437Name, "dos", false, false, 0},
                             {"plain.txt", "field", false, false, 0,
                              UnicodePathField("plain.txt", QString::fromUtf8("Übung.txt"))},
                             {"stale.txt", "stale field", false, false, 0,
                              UnicodePathField("other.txt", QString::fromUtf8("Wrong.txt"))},
                             {"crc.txt", "bad crc", false, false, 0,
                              UnicodePathField("crc.txt", QString::fromUtf8("Wrong2.txt"), 1)},
                         });
    const QString out = dir.file(QStringLiteral("out"));
    QStringList refused;
    EXPECT_TRUE(ExtractZipArchive(archive, out, &refused));
    EXPECT_TRUE(refused.isEmpty()) << refused.join(u',').toStdString();
    const struct {
        const char* name;
        const char* data;
    } expected[] = {{"Größe.txt", "unix"},     {"naïve.txt", "valid utf-8"}, {"öl für.txt", "dos"},
                    {"Übung.txt", "field"},    {"stale.txt", "stale field"}, {"crc.txt", "bad crc"}};
    for (const auto& e : expected)
        EXPECT_EQ(ReadFile(out + u'/' + QString::fromUtf8(e.name)), QByteArray(e.data)) << e.name;
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 6);
}

// Success means something was written, or the user chose to keep what is
// there.
TEST_F(ExternalFiles, ExtractionThatWritesNothingFails)
{
    const QString refusedOnly = dir.file(QStringLiteral("refused.zip"));
    WriteRawZip(refusedOnly, {{"../a.txt", "x"}, {"/b.txt", "x"}});
    QStringList refused;
    EXPECT_FALSE(ExtractZipArchive(refusedOnly, dir.file(QStringLiteral("o1")), &refused));
    EXPECT_EQ(refused.size(), 2);

    const QString kept = dir.file(QStringLiteral("kept.zip"));
    WriteRawZip(kept, {{"one.txt", "new"}});
    Make(QStringLiteral("o2/one.txt"), "old");
    testutil::ScriptedMessages messages({MessageAnswer::No});
    EXPECT_TRUE(ExtractZipArchive(kept, dir.file(QStringLiteral("o2"))));
    EXPECT_EQ(ReadFile(dir.file(QStringLiteral("o2/one.txt"))), QByteArray("old"));
}

TEST_F(ExternalFiles, ExtractionAsksOncePerExistingFile)
{
    const QString archive = dir.file(QStringLiteral("a.zip"));
    WriteRawZip(archive, {{"one.txt", "new1"}, {"two.txt", "new2"}, {"three.txt", "new3"}});
    const QString out = dir.file(QStringLiteral("out"));
    Make(QStringLiteral("out/one.txt"), "old1");
    Make(QStringLiteral("out/two.txt"), "old2");
    testutil::ScriptedMessages messages({MessageAnswer::No, MessageAnswer::Yes});
    EXPECT_TRUE(ExtractZipArchive(archive, out));
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_EQ(ReadFile(out + QStringLiteral("/one.txt")), QByteArray("old1"));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/two.txt")), QByteArray("new2"));
    EXPECT_EQ(ReadFile(out + QStringLiteral("/three.txt")), QByteArray("new3"));
}

TEST_F(ExternalFiles, ArchivesThatCannotBeReadAreReported)
{
    EXPECT_FALSE(ExtractZipArchive(dir.file(QStringLiteral("absent.zip")), dir.file(QStringLiteral("o"))));
    const QString garbage = Make(QStringLiteral("garbage.zip"), QByteArray(3000, 'Z'));
    EXPECT_FALSE(ExtractZipArchive(garbage, dir.file(QStringLiteral("o"))));

    // A truncated archive: what can be read is extracted, a damaged entry
    // is listed and never left half written.
    const QString archive = dir.file(QStringLiteral("whole.zip"));
    QByteArray noise(200000, '\0');
    quint32 seed = 12345;
    for (char& byte : noise) {
        seed = seed * 1103515245u + 12345u;
        byte = char(seed >> 24);
    }
    WriteRawZip(archive, {{"big.bin", noise}});
    QByteArray bytes = ReadFile(archive);
    bytes[1000] = char(bytes[1000] ^ 0x55);  // inside the compressed data
    const QString damaged = Make(QStringLiteral("damaged.zip"), bytes);
    QStringList refused;
    EXPECT_FALSE(ExtractZipArchive(damaged, dir.file(QStringLiteral("o")), &refused));
    EXPECT_EQ(refused, QStringList{QStringLiteral("big.bin")});
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("o/big.bin"))));
}

TEST_F(ExternalFiles, FolderFilesAreCopiedOrMovedWithoutReplacing)
{
    Make(QStringLiteral("src/a.txt"), "a");
    Make(QStringLiteral("src/b.txt"), "b");
    Make(QStringLiteral("src/deep/c.txt"), "c");
    Make(QStringLiteral("dst/b.txt"), "kept");
    ASSERT_TRUE(QFile::link(dir.file(QStringLiteral("src")), dir.file(QStringLiteral("src/deep/loop"))));
    const QString src = dir.file(QStringLiteral("src"));
    const QString dst = dir.file(QStringLiteral("dst"));

    CopyFolderFiles(src, dst, QString(), false, false);
    EXPECT_EQ(ReadFile(dst + QStringLiteral("/a.txt")), QByteArray("a"));
    EXPECT_EQ(ReadFile(dst + QStringLiteral("/b.txt")), QByteArray("kept"));
    EXPECT_FALSE(QFile::exists(dst + QStringLiteral("/deep")));

    CopyFolderFiles(src, dst, QString(), true, true);
    EXPECT_EQ(ReadFile(dst + QStringLiteral("/deep/c.txt")), QByteArray("c"));
    EXPECT_FALSE(QFile::exists(dst + QStringLiteral("/deep/loop")));
    EXPECT_FALSE(QFile::exists(src + QStringLiteral("/deep/c.txt")));  // moved
    EXPECT_TRUE(QFile::exists(src + QStringLiteral("/b.txt")));       // not copied, so not moved
}

TEST_F(ExternalFiles, SizesPassFourGibibytes)
{
    // A sparse file: its length costs no disk.
    const QString large = Make(QStringLiteral("big/huge.bin"), {});
    {
        QFile file(large);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(5LL * 1024 * 1024 * 1024 + 3));
    }
    QString folder;
    ExternalLinkInfo info;
    EXPECT_EQ(ResolveLinkTarget(large, folder, {}, &info), large);
    EXPECT_TRUE(info.sizeKnown);
    EXPECT_EQ(info.size, 5LL * 1024 * 1024 * 1024 + 3);
}

TEST_F(ExternalFiles, OneResolverFindsWhatSingleCallsFind)
{
    Make(QStringLiteral("KORVAN_Externals/Report.PDF"), "pdf");
    Make(QStringLiteral("KORVAN_Externals/report.pdf"), "second of the same name in another case");
    Make(QStringLiteral("project/beside.txt"), "b");
    const QString stored = Make(QStringLiteral("docs/stored.txt"), "12345");
    const QString second = dir.file(QStringLiteral("project"));
    const QStringList targets = {
        stored,
        QStringLiteral("C:\\Users\\ann\\REPORT.pdf"),
        QStringLiteral("C:\\Users\\ann\\report.pdf"),
        QStringLiteral("/gone/BESIDE.TXT"),
        QStringLiteral("/gone/missing.txt"),
        QStringLiteral("mailto:ann@example.org"),
        QStringLiteral("plain.txt"),
    };
    LinkTargetResolver resolver(QString(), second);
    EXPECT_EQ(resolver.ExternalsFolder(), externals);
    for (const QString& target : targets) {
        QString folder;
        ExternalLinkInfo single;
        ExternalLinkInfo many;
        EXPECT_EQ(resolver.Resolve(target, &many), ResolveLinkTarget(target, folder, second, &single))
            << target.toStdString();
        EXPECT_EQ(many.location, single.location) << target.toStdString();
        EXPECT_EQ(many.size, single.size) << target.toStdString();
        EXPECT_EQ(many.isFile, single.isFile) << target.toStdString();
    }
    EXPECT_EQ(resolver.Resolve(QStringLiteral("C:\\x\\report.pdf")), externals + QStringLiteral("/report.pdf"));
    EXPECT_EQ(resolver.Resolve(QStringLiteral("C:\\x\\REPORT.pdf")), externals + QStringLiteral("/Report.PDF"));
}

TEST_F(ExternalFiles, ZipStoresAFileListedTwiceOnce)
{
    const QString a = Make(QStringLiteral("one/same.txt"), "first");
    const QString b = Make(QStringLiteral("two/same.txt"), "second");
    const QString archive = dir.file(QStringLiteral("pack.zip"));
    QStringList failed;
    EXPECT_TRUE(ZipFileList(archive, {a, b, a, dir.file(QStringLiteral("one/../one/same.txt"))}, &failed));
    EXPECT_TRUE(failed.isEmpty());
    const QList<EntryInfo> entries = ListZip(archive);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, QByteArray("same.txt"));
    EXPECT_EQ(entries[1].name, QByteArray("same(01).txt"));

    // An archive that cannot be written reports every file once.
    failed.clear();
    EXPECT_FALSE(ZipFileList(dir.file(QStringLiteral("no/such/folder/x.zip")), {a, b, a}, &failed));
    EXPECT_EQ(failed, (QStringList{a, b}));
}
