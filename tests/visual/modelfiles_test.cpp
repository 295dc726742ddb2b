// Stored models and model files through a real project: new, load, save,
// rename and duplicate; ".mod" files with their archive and the map
// library; damaged inputs refused with every file left as it was.
#include "canvasrecorder.h"

#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "foundation/externalfiles.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "store/projectfixture.h"
#include "visual/modelfile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using testutil::ReadFile;
using testutil::WriteFile;
using visualtest::PlacedObject;

namespace {

QByteArray Le32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray EmptyImage()
{
    SerialBuffer buffer;
    EXPECT_TRUE(WriteModelImage(ModelContent(), buffer));
    return buffer.Data();
}

class ModelFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        m_savedProgram = g_program;
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        g_program.SettingsFolder = Path(QStringLiteral("settings/"));
        externals = Path(QStringLiteral("externals"));
        ASSERT_TRUE(QDir().mkpath(g_program.SettingsFolder) && QDir().mkpath(externals));
        if (g_qdaOptions.FindIndex(QdaOption::ExternalsFolder) < 0)
            BuildOptionDefinitions();
        m_savedExternals = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
        g_qdaOptions.SetString(QdaOption::ExternalsFolder, externals);
        projectPath = Path(QStringLiteral("p.kv4"));
        ASSERT_TRUE(project.Create(projectPath));
        project.db.SetUserName(QStringLiteral("Ann"));
        core.Attach(&project.db, &view, true, false);
        core.SetViewportSize(QSize(400, 300));
    }
    void TearDown() override
    {
        project.Close();
        g_pStringStore->Close();
        g_program = m_savedProgram;
        g_qdaOptions.SetString(QdaOption::ExternalsFolder, m_savedExternals);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    // The project file and its journal, byte for byte.
    QByteArray ProjectBytes() const
    {
        return ReadFile(projectPath) + "|" + ReadFile(projectPath + QStringLiteral("-wal"));
    }
    QByteArray StoredData(qint32 id)
    {
        StoredModel record;
        record.ID = id;
        EXPECT_TRUE(project.db.ReadModel(record));
        return record.Data.Data();
    }
    qint32 StartModel(const QString& label)
    {
        QString name;
        const qint32 id = core.NewModel(name, ModelKind::Free);
        EXPECT_GT(id, 0);
        ModelObject o = PlacedObject(1, {0, 0, 30, 30});
        o.Label = label;
        core.Objects().push_back(o);
        core.EditModel().LastObjectId = 1;
        return id;
    }

    QTemporaryDir dir;
    QString projectPath;
    QString externals;
    projecttest::Project project;
    visualtest::CanvasRecorder view;
    ModelerCanvasCore core;

private:
    ProgramPaths m_savedProgram;
    QString m_savedExternals;
};

}  // namespace

TEST_F(ModelFiles, ANewModelIsStoredUnderItsKindsName)
{
    const struct {
        qint32 kind;
        QString name;
    } cases[] = {
        {ModelKind::Free, QStringLiteral("Model")},
        {ModelKind::DocumentModel, QStringLiteral("Document model")},
        {ModelKind::TwoCaseModel, QStringLiteral("Two-Case-Model")},
        {ModelKind::SubcodeModel, QStringLiteral("Subcode model")},
        {ModelKind::TitledModel, QStringLiteral("Model")},
    };
    qint32 lastId = 0;
    for (const auto& c : cases) {
        QString name;
        const qint32 id = core.NewModel(name, c.kind);
        EXPECT_EQ(id, lastId + 1) << c.kind;
        lastId = id;
        EXPECT_EQ(name, c.name) << c.kind;
        EXPECT_EQ(core.Record().Author, QStringLiteral("Ann"));
        EXPECT_EQ(core.Record().UndoIndex, -1);
        EXPECT_EQ(core.Model().Layers.size(), 1u);
        EXPECT_EQ(core.Model().Layers[0].Name, QStringLiteral("Base layer"));
    }
    ModelerCanvasCore storeless;
    QString name;
    EXPECT_EQ(storeless.NewModel(name, 0), 0);
    EXPECT_FALSE(storeless.SaveStoredModel());
    EXPECT_FALSE(storeless.LoadStoredModel(1));
    EXPECT_FALSE(storeless.RenameStoredModel(1, name));
}

TEST_F(ModelFiles, StoredModelsAreSavedAndLoadedWithAnEmptyUndoRing)
{
    const qint32 first = StartModel(QStringLiteral("one"));
    ASSERT_TRUE(core.PushUndo());
    ASSERT_TRUE(core.SaveStoredModel());
    const qint32 second = StartModel(QStringLiteral("two"));
    ASSERT_TRUE(core.SaveStoredModel());

    ASSERT_TRUE(core.LoadStoredModel(first));
    EXPECT_EQ(core.Record().ID, first);
    ASSERT_EQ(core.Model().Objects.size(), 1u);
    EXPECT_EQ(core.Model().Objects[0].Label, QStringLiteral("one"));
    EXPECT_EQ(core.Record().UndoCount, 0);
    EXPECT_TRUE(core.Record().Data.Data().isEmpty());
    EXPECT_GT(view.viewResets, 0);

    // Renaming the model shown keeps its image in the project.
    ASSERT_TRUE(core.RenameStoredModel(first, QStringLiteral("First")));
    ASSERT_TRUE(core.RenameStoredModel(second, QStringLiteral("Second")));
    ASSERT_TRUE(core.LoadStoredModel(second));
    EXPECT_EQ(core.Record().Name, QStringLiteral("Second"));
    ASSERT_TRUE(core.LoadStoredModel(first));
    EXPECT_EQ(core.Record().Name, QStringLiteral("First"));
    EXPECT_EQ(core.Model().Objects.at(0).Label, QStringLiteral("one"));

    qint32 id = first;
    QString name;
    ASSERT_TRUE(core.DuplicateStoredModel(id, name));
    EXPECT_EQ(id, second + 1);
    EXPECT_EQ(name, QStringLiteral("Copy of First"));
    EXPECT_EQ(StoredData(id), StoredData(first));
    id = 99;
    EXPECT_FALSE(core.DuplicateStoredModel(id, name));
    EXPECT_FALSE(core.RenameStoredModel(99, name));
}

TEST_F(ModelFiles, ADamagedStoredModelIsNeitherShownNorWrittenOver)
{
    const qint32 good = StartModel(QStringLiteral("good"));
    ASSERT_TRUE(core.SaveStoredModel());
    StoredModel damaged;
    damaged.Name = QStringLiteral("Broken");
    damaged.Data = SerialBuffer(Le32(9080529) + Le32(1) + Le32(0) + Le32(0) + Le32(0) + Le32(0x3F800000) + Le32(0)
                                + Le32(0) + Le32(50000));
    ASSERT_TRUE(project.db.WriteModel(damaged));
    const QByteArray storedBefore = StoredData(damaged.ID);

    testutil::ScriptedMessages messages;
    EXPECT_FALSE(core.LoadStoredModel(damaged.ID));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("Broken")));
    EXPECT_EQ(core.Record().ID, good);
    EXPECT_EQ(core.Model().Objects.at(0).Label, QStringLiteral("good"));

    ASSERT_TRUE(core.SaveStoredModel());
    EXPECT_EQ(StoredData(damaged.ID), storedBefore);
    EXPECT_FALSE(core.LoadStoredModel(12345));
}

TEST_F(ModelFiles, AModelFileHasItsExactLayout)
{
    QString name;
    core.NewModel(name, ModelKind::Free);
    core.EditRecord().Name = QStringLiteral("abc");
    core.EditRecord().Author.clear();
    core.EditRecord().Date = {45000.5, DateStatus::Valid};
    testutil::ScriptedMessages messages;
    messages.files = {{Path(QStringLiteral("plan"))}};
    ASSERT_TRUE(core.SaveModelFile());
    ASSERT_EQ(messages.prompts.size(), 1);
    EXPECT_EQ(messages.prompts[0].kind, FilePromptKind::SaveFile);
    EXPECT_EQ(messages.prompts[0].title, QStringLiteral("Save model as file"));
    const QByteArray bytes = ReadFile(Path(QStringLiteral("plan.mod")));
    ASSERT_EQ(bytes.size(), 76);
    QByteArray date(8, '\0');
    qToLittleEndian(45000.5, date.data());
    EXPECT_EQ(bytes, QByteArray("\xFF\xFE", 2) + Le32(3) + QByteArray("a\0b\0c\0", 6) + Le32(0) + date + Le32(0)
                         + EmptyImage());
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("plan.mod.zip"))));
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_FALSE(core.SaveModelFile());   // cancelled
}

TEST_F(ModelFiles, LinkedFilesTravelInTheCompanionArchive)
{
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(QDir(externals).filePath(QStringLiteral("pic.png"))));
    ASSERT_TRUE(WriteFile(Path(QStringLiteral("notes.txt")), "notes"));
    StartModel(QStringLiteral("with files"));
    core.Objects()[0].PictureFile = QStringLiteral("/moved/away/pic.png");   // found by name in the externals folder
    core.Objects()[0].LinkedFile = Path(QStringLiteral("notes.txt"));
    ModelObject web = PlacedObject(2, {50, 0, 30, 30});
    web.LinkedFile = QStringLiteral("https://example.org");
    web.PictureFile = QStringLiteral("C:\\old\\pic.png");
    core.Objects().push_back(web);

    QStringList list;
    QList<ExternalLinkInfo> details;
    core.CollectLinkedFiles(list, &details);
    EXPECT_EQ(list, (QStringList{QDir(externals).filePath(QStringLiteral("pic.png")), Path(QStringLiteral("notes.txt")),
                                 QDir(externals).filePath(QStringLiteral("pic.png")),
                                 QStringLiteral("https://example.org")}));
    ASSERT_EQ(details.size(), 4);
    EXPECT_FALSE(details[3].isFile);

    testutil::ScriptedMessages messages;
    messages.files = {{Path(QStringLiteral("plan.mod"))}};
    ASSERT_TRUE(core.SaveModelFile());
    ASSERT_TRUE(QFile::exists(Path(QStringLiteral("plan.mod.zip"))));

    // Opening it again puts the files into the externals folder; a file
    // that is there already is replaced only after asking.
    ASSERT_TRUE(QFile::remove(QDir(externals).filePath(QStringLiteral("pic.png"))));
    ASSERT_TRUE(WriteFile(QDir(externals).filePath(QStringLiteral("notes.txt")), "mine"));
    testutil::ScriptedMessages opening({MessageAnswer::No});
    opening.files = {{Path(QStringLiteral("plan.mod"))}};
    QString name = QStringLiteral("Ann");
    ASSERT_GT(core.OpenModelFile(name), 0);
    EXPECT_TRUE(QFile::exists(QDir(externals).filePath(QStringLiteral("pic.png"))));
    EXPECT_EQ(ReadFile(QDir(externals).filePath(QStringLiteral("notes.txt"))), "mine");
    ASSERT_EQ(opening.texts.size(), 1);
    EXPECT_TRUE(opening.texts[0].contains(QStringLiteral("notes.txt")));
    ASSERT_EQ(core.Model().Objects.size(), 2u);
    EXPECT_EQ(core.Model().Objects[0].Picture.size(), QSize(40, 20));
}

TEST_F(ModelFiles, OpeningAFileMakesANewStoredModel)
{
    const qint32 shown = StartModel(QStringLiteral("shown"));
    ASSERT_TRUE(core.SaveStoredModel());
    StartModel(QStringLiteral("saved to file"));
    core.EditRecord().Name = QStringLiteral("From file");
    core.EditRecord().Date = {44000.25, DateStatus::Valid};
    testutil::ScriptedMessages messages;
    messages.files = {{Path(QStringLiteral("m.mod"))}};
    ASSERT_TRUE(core.SaveModelFile());
    ASSERT_TRUE(core.LoadStoredModel(shown));
    core.Objects()[0].Label = QStringLiteral("edited");

    messages.files = {{Path(QStringLiteral("m.mod"))}};
    QString name = QStringLiteral("Bea");
    const qint32 id = core.OpenModelFile(name);
    ASSERT_EQ(id, 3);
    EXPECT_EQ(name, QStringLiteral("From file"));
    EXPECT_EQ(core.Record().Name, QStringLiteral("From file"));
    EXPECT_EQ(core.Record().Author, QStringLiteral("Ann"));
    EXPECT_EQ(core.Record().Date.value, 44000.25);
    EXPECT_EQ(core.Model().Objects.at(0).Label, QStringLiteral("saved to file"));
    EXPECT_TRUE(core.Record().Data.IsUtf16());
    // The model shown before was saved first, and the file's model is stored.
    ASSERT_TRUE(core.LoadStoredModel(shown));
    EXPECT_EQ(core.Model().Objects.at(0).Label, QStringLiteral("edited"));
    ASSERT_TRUE(core.LoadStoredModel(id));
    EXPECT_EQ(core.Model().Objects.at(0).Label, QStringLiteral("saved to file"));
    EXPECT_EQ(core.Record().Name, QStringLiteral("From file"));
}

TEST_F(ModelFiles, AFileWithoutTheMarkIsReadWithOneByteCharacters)
{
    // Name "Alt" and author "Zoë" in Windows-1252, then an old image with
    // one layer named "Ebene €".
    QByteArray file = Le32(3) + "Alt" + Le32(3) + "Zo\xEB" + QByteArray(8, '\0') + Le32(0);
    file += Le32(9080529) + QByteArray(16, '\0') + Le32(0x3F800000) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(2)
            + Le32(1) + Le32(7) + "Ebene \x80" + QByteArray(1, '\1');
    ASSERT_TRUE(WriteFile(Path(QStringLiteral("old.mod")), file));
    StartModel(QStringLiteral("x"));
    testutil::ScriptedMessages messages;
    messages.files = {{Path(QStringLiteral("old.mod"))}};
    QString name;
    ASSERT_GT(core.OpenModelFile(name), 0);
    EXPECT_EQ(name, QStringLiteral("Alt"));
    EXPECT_EQ(core.Record().Author, QStringLiteral("Zoë"));
    ASSERT_EQ(core.Model().Layers.size(), 2u);
    EXPECT_EQ(core.Model().Layers[1].Name, QStringLiteral("Ebene €"));

    messages.files = {{Path(QStringLiteral("new.mod"))}};
    ASSERT_TRUE(core.SaveModelFile());
    const QByteArray saved = ReadFile(Path(QStringLiteral("new.mod")));
    EXPECT_TRUE(saved.startsWith(QByteArray("\xFF\xFE", 2) + Le32(3) + QByteArray("A\0l\0t\0", 6)));
    ModelFileHeader header;
    SerialBuffer body;
    ASSERT_TRUE(ParseModelFile(saved, header, body));
    EXPECT_EQ(header.Author, QStringLiteral("Zoë"));
    ModelContent model;
    ASSERT_TRUE(ReadModelImage(body, model));
    EXPECT_EQ(model.Layers.at(1).Name, QStringLiteral("Ebene €"));
}

TEST_F(ModelFiles, BadFilesAreRefusedAndNothingChanges)
{
    const QByteArray goodHeader = QByteArray("\xFF\xFE", 2) + Le32(1) + QByteArray("m\0", 2) + Le32(0)
                                  + QByteArray(12, '\0');
    QByteArray png;
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::white);
        ASSERT_TRUE(image.save(Path(QStringLiteral("foreign.png"))));
        png = ReadFile(Path(QStringLiteral("foreign.png")));
    }
    const QByteArray image = EmptyImage();
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty file", {}},
        {"cut in the name", goodHeader.left(7)},
        {"cut in the date", goodHeader.left(goodHeader.size() - 3)},
        {"header without a model", goodHeader},
        {"image cut short", goodHeader + image.left(30)},
        {"name count beyond the file", QByteArray("\xFF\xFE", 2) + Le32(0x40000000) + image},
        {"negative author length", QByteArray("\xFF\xFE", 2) + Le32(0) + Le32(-1) + image},
        {"object count beyond the file", goodHeader + image.left(32) + Le32(70000) + image.mid(36)},
        {"a picture", png},
        {"plain text", "This is no model at all, just words."},
    };
    const qint32 shown = StartModel(QStringLiteral("kept"));
    ASSERT_TRUE(core.SaveStoredModel());
    const QByteArray projectBefore = ProjectBytes();
    for (const auto& c : cases) {
        const QString path = Path(QStringLiteral("bad.mod"));
        ASSERT_TRUE(WriteFile(path, c.bytes));
        testutil::ScriptedMessages messages;
        messages.files = {{path}};
        QString name;
        EXPECT_EQ(core.OpenModelFile(name), 0) << c.what;
        EXPECT_EQ(messages.texts.size(), 1) << c.what;
        EXPECT_EQ(core.Record().ID, shown) << c.what;
        EXPECT_EQ(core.Model().Objects.at(0).Label, QStringLiteral("kept")) << c.what;
        EXPECT_EQ(ReadFile(path), c.bytes) << c.what;
        EXPECT_EQ(ProjectBytes(), projectBefore) << c.what;
    }
    testutil::ScriptedMessages messages;
    messages.files = {{Path(QStringLiteral("missing.mod"))}};
    QString name;
    EXPECT_EQ(core.OpenModelFile(name), 0);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(ProjectBytes(), projectBefore);
}

TEST_F(ModelFiles, AFailedSaveIsReported)
{
    StartModel(QStringLiteral("x"));
    // A file where the folder should be: nothing can be written below it.
    ASSERT_TRUE(WriteFile(Path(QStringLiteral("blocked")), "a file"));
    testutil::ScriptedMessages messages;
    messages.files = {{Path(QStringLiteral("blocked/plan.mod"))}};
    EXPECT_FALSE(core.SaveModelFile());
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(ReadFile(Path(QStringLiteral("blocked"))), "a file");

    // A library that cannot be written is reported too.
    g_program.SettingsFolder = Path(QStringLiteral("blocked/"));
    EXPECT_FALSE(core.SavePinwallLibrary());
    EXPECT_EQ(messages.texts.size(), 2);
}

TEST_F(ModelFiles, TheMapLibraryRoundTrips)
{
    EXPECT_FALSE(core.LoadPinwallLibrary());   // none yet: nothing shown, nothing said
    const qint32 first = StartModel(QStringLiteral("map"));
    core.EditModel().Layers.push_back({1, QStringLiteral("Roads"), true});
    ASSERT_TRUE(core.SavePinwallLibrary());
    const QByteArray library = ReadFile(ModelerCanvasCore::PinwallLibraryPath());
    EXPECT_TRUE(library.startsWith("\xFF\xFE\xD1\x8E\x8A"));
    EXPECT_EQ(library.size() % 16, 2);

    // The canvas holds objects: the library becomes a new model.
    ASSERT_TRUE(core.LoadPinwallLibrary());
    EXPECT_GT(core.Record().ID, first);
    EXPECT_EQ(core.Model().Objects.at(0).Label, QStringLiteral("map"));
    EXPECT_EQ(core.Model().Layers.at(1).Name, QStringLiteral("Roads"));

    // A damaged library changes nothing.
    ASSERT_TRUE(WriteFile(ModelerCanvasCore::PinwallLibraryPath(), library.left(40)));
    const qint32 shown = core.Record().ID;
    testutil::ScriptedMessages messages;
    EXPECT_FALSE(core.LoadPinwallLibrary());
    EXPECT_EQ(core.Record().ID, shown);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(ReadFile(ModelerCanvasCore::PinwallLibraryPath()), library.left(40));
}
