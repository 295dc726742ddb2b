// The project document's life: a new document, a new project created and
// opened, its topics loaded and named, its trees announced, changes kept
// across closing and opening again, failed opens that leave the previous
// project open, and the closing sequence.

#include "docfixture.h"

#include "common/recordingwaithost.h"
#include "foundation/optionsrecord.h"
#include "foundation/richtexthelpers.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"

#include <QDir>
#include <QFile>

using namespace doctest;

TEST(KorDocClass, ANewDocumentHasItsTopicsRegisteredAndNoProject)
{
    CKorDoc doc;
    const QList<qint32> expected = {2, 4, 5, 6, 8, 24, 25, 10, 11, 12, 9, 17, 18, 19, 21, 22, 28, 26, 29, 30};
    EXPECT_EQ(CKorDoc::RegisteredTopics(), expected);
    for (qint32 topic : expected) {
        ASSERT_NE(doc.GetDatabase().GetTable(topic), nullptr) << topic;
        EXPECT_EQ(doc.GetDatabase().GetRowCount(topic), 0) << topic;
    }
    EXPECT_EQ(doc.GetDatabase().GetTable(TopicId::OverviewTable), nullptr);
    EXPECT_EQ(doc.GetEngine(), nullptr);
    EXPECT_EQ(doc.GetMinWordLength(), 1);
    EXPECT_TRUE(doc.IsWordListOn());
    EXPECT_EQ(doc.GetShownDocument(), 0);
    // Safe without a project, and twice.
    doc.CloseDatabase();
    doc.CloseDatabase();
    doc.ResetCaches();
    EXPECT_EQ(doc.GetEngine(), nullptr);
}

TEST_F(DocTest, TheTitleGoesToTheMainWindowWhenThereIsOne)
{
    doc.SetTitle(QStringLiteral("A"));
    EXPECT_EQ(frame.windowTitle, QStringLiteral("A"));
    EXPECT_EQ(doc.GetTitle(), QString());
    frame.hasWindow = false;
    doc.SetTitle(QStringLiteral("B"));
    EXPECT_EQ(frame.windowTitle, QStringLiteral("A"));
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("B"));
}

TEST_F(DocTest, ANewProjectOpensEmptyWithItsTreesAnnounced)
{
    ASSERT_TRUE(frame.NewCommand(path));
    ASSERT_NE(doc.GetEngine(), nullptr);
    EXPECT_EQ(frame.windowTitle, path + QStringLiteral(" - ") + LoadString(1));
    EXPECT_EQ(log.Take(), (std::vector<std::string>{
                              "frame.CloseProjectUI()",
                              "pane.ResetContent()",
                              "owner.ClearQuickCodes()",
                              "pane.OnObjectsAdded(5,[],2,0)",
                              "pane.OnObjectsAdded(2,[],1,0)",
                              "pane.OnObjectChanged(1,0)",
                              "owner.OnObjectChanged(1,0)",
                              "pane.OnObjectsAdded(4,[],3,0)",
                              "pane.OnObjectChanged(3,0)",
                              "owner.OnObjectChanged(3,0)",
                              "pane.OnObjectsAdded(8,[],7,0)",
                              "pane.OnObjectChanged(7,0)",
                              "owner.OnObjectChanged(7,0)",
                              "pane.OnObjectsAdded(24,[],23,0)",
                              "pane.OnObjectChanged(23,0)",
                              "owner.OnObjectChanged(23,0)",
                              "pane.OnObjectChanged(27,0)",
                              "owner.OnObjectChanged(27,0)",
                          }));
    EXPECT_TRUE(messages.texts.isEmpty());
    // A new file needs no repair: every step is marked done at creation.
    for (const char* key : {"RichText", "MemoParagraph", "CodingsCoverage", "CheckCodingStatistics", "MemoSource"}) {
        QString value;
        ASSERT_TRUE(doc.ReadSetting(QLatin1String(key), value));
        EXPECT_FALSE(value.isEmpty()) << key;
    }
}

TEST_F(DocTest, LoadedTopicsCarryTranslatedCaptionsAndTheMemoryOnlyCodeFields)
{
    NewProject();
    const TopicTable* documents = db().GetTable(TopicId::Documents);
    EXPECT_EQ(documents->Fields().GetById(6)->Name, QStringLiteral("Document name"));
    EXPECT_EQ(db().GetTable(TopicId::Memos)->Fields().GetById(15)->Name, QStringLiteral("Memo type"));
    EXPECT_EQ(db().GetTable(TopicId::MediaMarks)->Fields().GetById(4)->Name, QStringLiteral("Begin"));

    const TopicTable* codes = db().GetTable(TopicId::Codes);
    EXPECT_EQ(codes->Fields().GetById(0)->State, FieldState::BuiltIn);
    EXPECT_EQ(codes->Fields().GetById(0)->Name, QStringLiteral("Code ID"));
    const struct {
        qint32 id, type;
        const char* name;
    } extra[] = {{13, FieldType::Real, "% Coded segments"},
                 {14, FieldType::Real, "% Coded segments (activated)"},
                 {15, FieldType::Integer, "Documents"}};
    for (const auto& field : extra) {
        const FieldDescriptor* descriptor = codes->Fields().GetById(field.id);
        ASSERT_NE(descriptor, nullptr) << field.id;
        EXPECT_EQ(descriptor->Type, field.type);
        EXPECT_EQ(descriptor->State, 21);
        EXPECT_EQ(descriptor->Name, QLatin1String(field.name));
    }
    // A code written whole keeps the memory-only fields out of the file.
    const qint32 code = AddCode(QStringLiteral("Kódigo"));
    ASSERT_NE(code, 0);
    frame.ExitCommand();
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT [Name] FROM [Codewords];")),
              QStringList{QStringLiteral("Kódigo")});
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT count(*) FROM [sys_Fields] WHERE [TopicID]=8;")),
              QStringList{QStringLiteral("13")});
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT [Name] FROM [sys_Fields] WHERE [TopicID]=5 AND [ID]=6;")),
              QStringList{QStringLiteral("Name")});
}

TEST_F(DocTest, LoadingShowsTheProgressOfEachStoredTopicInLoadingOrder)
{
    NewProject();
    frame.ExitCommand();
    testutil::RecordingWaitHost host;
    ASSERT_TRUE(ShowWaitWindow(QStringLiteral("open")));
    ASSERT_TRUE(frame.OpenCommand(path));
    CloseWaitWindow();
    const QStringList expected = {
        QStringLiteral("open"),
        QStringLiteral("Loading document groups..."),
        QStringLiteral("Loading documents..."),
        QStringLiteral("Loading document sets..."),
        QStringLiteral("Loading document set members..."),
        QStringLiteral("Loading codes..."),
        QStringLiteral("Loading coded segments..."),
        QStringLiteral("Loading memos..."),
        QStringLiteral("Loading links..."),
        QStringLiteral("Preparing the project..."),
    };
    EXPECT_EQ(host.texts, expected);
}

TEST_F(DocTest, ChangesSurviveClosingAndOpeningAgain)
{
    NewProject();
    const qint32 group = AddGroup(QStringLiteral("Interviews 'A'"));
    const qint32 document = AddDocument(group, QStringLiteral("Zoë"), RtfOf({QStringLiteral("Hello")}));
    const qint32 code = AddCode(QStringLiteral("Topic | one"));
    ASSERT_NE(AddCoding(document, code, 0, 5), 0);
    doc.GetRetrievalSettings().excludedCode = code;
    doc.GetProgramLists().quickCodes = {code};
    frame.ExitCommand();
    doc.GetRetrievalSettings().excludedCode = 0;
    ASSERT_TRUE(frame.OpenCommand(path));

    EXPECT_EQ(ValueOf(db(), TopicId::DocumentGroups, group, 3), QStringLiteral("Interviews 'A'"));
    EXPECT_EQ(ValueOf(db(), TopicId::Documents, document, DocumentField::Name), QStringLiteral("Zoë"));
    EXPECT_EQ(ValueOf(db(), TopicId::Codes, code, 5), QStringLiteral("Topic | one"));
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 1);
    EXPECT_EQ(BlobOf(db(), TopicId::Documents, document, DocumentField::Text), RtfOf({QStringLiteral("Hello")}));
    EXPECT_EQ(doc.GetRetrievalSettings().excludedCode, code);
    EXPECT_EQ(doc.GetProgramLists().quickCodes, QList<qint32>{code});
}

TEST_F(DocTest, OpeningAnnouncesTheTreesAndShowsTheDocumentLastShown)
{
    NewProject();
    const qint32 g1 = AddGroup(QStringLiteral("G1"));
    const qint32 g2 = AddGroup(QStringLiteral("G2"));
    const qint32 d1 = AddDocument(g1, QStringLiteral("D1"));
    const qint32 d2 = AddDocument(g2, QStringLiteral("D2"));
    const qint32 d3 = AddDocument(g1, QStringLiteral("D3"));
    const qint32 loose = AddDocument(0, QStringLiteral("loose"));
    const qint32 set = AddRow(db(), TopicId::DocumentSets, {{3, QStringLiteral("S")}});
    const qint32 member = AddRow(db(), TopicId::DocumentSetMembers,
                                 {{SetMemberField::SetID, set}, {SetMemberField::ObjectID, d2}});
    const qint32 a = AddCode(QStringLiteral("A"));
    const qint32 b = AddCode(QStringLiteral("B"));
    const qint32 a1 = AddCode(QStringLiteral("A1"), a);
    const qint32 codeSet = AddRow(db(), TopicId::CodeSets, {{3, QStringLiteral("CS")}});
    const qint32 codeMember = AddRow(db(), TopicId::CodeSetMembers,
                                     {{SetMemberField::SetID, codeSet}, {SetMemberField::ObjectID, b}});
    const qint32 coding = AddCoding(d2, a1, 0, 3);
    const qint32 memo = AddMemo({{MemoField::Document, d2}, {MemoField::Pos, 1}});
    // D2 was the document in the browser when the project was closed.
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Documents, d2, row, false));
    ASSERT_TRUE(row.SetFieldText(DocumentField::State, QString::number(ObjectState::ShownInBrowser)));
    ASSERT_TRUE(row.SetFieldText(DocumentField::MediaFile, QStringLiteral(" talk.mp3 ")));
    row.Release();
    frame.ExitCommand();
    log.Take();
    ASSERT_TRUE(frame.OpenCommand(path));

    const auto n = [](qint32 v) { return std::to_string(v); };
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{
                  "frame.CloseProjectUI()",
                  "pane.ResetContent()",
                  "owner.ClearQuickCodes()",
                  "pane.OnObjectsAdded(5,[" + n(loose) + "],2,0)",
                  "pane.OnObjectsAdded(2,[" + n(g1) + "," + n(g2) + "],1,0)",
                  "pane.OnObjectsAdded(5,[" + n(d1) + "," + n(d3) + "],2," + n(g1) + ")",
                  "pane.OnObjectsAdded(5,[" + n(d2) + "],2," + n(g2) + ")",
                  "pane.OnObjectChanged(1,0)",
                  "owner.OnObjectChanged(1,0)",
                  "pane.OnObjectsAdded(4,[" + n(set) + "],3,0)",
                  "pane.OnObjectsAdded(6,[" + n(member) + "],4," + n(set) + ")",
                  "pane.OnObjectChanged(3,0)",
                  "owner.OnObjectChanged(3,0)",
                  "pane.OnObjectsAdded(8,[" + n(a) + "," + n(b) + "],7,0)",
                  "pane.OnObjectsAdded(8,[" + n(a1) + "],7," + n(a) + ")",
                  "pane.OnObjectsAdded(8,[],7," + n(a1) + ")",
                  "pane.OnObjectsAdded(8,[],7," + n(b) + ")",
                  "pane.OnObjectChanged(7,0)",
                  "owner.OnObjectChanged(7,0)",
                  "pane.OnObjectsAdded(24,[" + n(codeSet) + "],23,0)",
                  "pane.OnObjectsAdded(25,[" + n(codeMember) + "],24," + n(codeSet) + ")",
                  "pane.OnObjectChanged(23,0)",
                  "owner.OnObjectChanged(23,0)",
                  "pane.OnObjectChanged(27,0)",
                  "owner.OnObjectChanged(27,0)",
                  // The document last shown is shown again.
                  "frame.LoadMediaFile()",
                  "pane.OnObjectChanged(5," + n(d2) + ")",
                  "owner.OnObjectChanged(5," + n(d2) + ")",
                  "pane.OnObjectChanged(6," + n(member) + ")",
                  "owner.OnObjectChanged(6," + n(member) + ")",
                  "pane.ShowDocument(5," + n(d2) + ",0)",
                  "pane.OnObjectsAdded(10,[" + n(coding) + "],16," + n(d2) + ")",
                  "pane.OnObjectsAdded(11,[" + n(memo) + "],16," + n(d2) + ")",
                  "pane.OnObjectsAdded(12,[],16," + n(d2) + ")",
                  "frame.RebuildGeoLinkList()",
                  "frame.LoadMediaFile(talk.mp3)",
                  "frame.RefreshBrowser()",
              }));
    EXPECT_EQ(doc.GetShownDocument(), d2);
    EXPECT_EQ(doc.FirstOpenDocument(), d2);
}

TEST_F(DocTest, AProjectWithoutAShownDocumentOpensWithNoneAndActivationIsNotKept)
{
    NewProject();
    const qint32 document = AddDocument(0, QStringLiteral("D"));
    const qint32 code = AddCode(QStringLiteral("C"));
    frame.ExitCommand();
    // Rows written whole while activated carried the memory-only bit.
    ASSERT_TRUE(ExecOnFile(
        path, {QStringLiteral("UPDATE [Texts] SET [State]=5;"), QStringLiteral("UPDATE [Codewords] SET [State]=4;")}));
    ASSERT_TRUE(frame.OpenCommand(path));
    EXPECT_EQ(doc.GetShownDocument(), 0);
    EXPECT_EQ(db().GetIntValue(TopicId::Documents, document, DocumentField::State), 1);
    EXPECT_EQ(db().GetIntValue(TopicId::Codes, code, CodeField::State), 0);
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), 0);
}

TEST_F(DocTest, SpecialCodesAreFoundByTheFirstOfTheirBits)
{
    NewProject();
    const auto add = [this](qint32 state) {
        return AddRow(db(), TopicId::Codes, {{5, QStringLiteral("C")}, {CodeField::State, state}});
    };
    add(0x08);
    const qint32 laterFirst = add(0x08);     // a later code takes the slot
    const qint32 both = add(0x20 | 0x10);    // 0x10 is tested before 0x20
    const qint32 fourth = add(0x40 | 0x100); // 0x40 before 0x100
    const qint32 fifth = add(0x100 | 0x04);
    add(0x01);
    doc.FindSpecialCodes();
    const qint32 expected[] = {laterFirst, 0, both, fourth, fifth};
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_EQ(doc.GetSpecialCode(slot), expected[slot]) << slot;
    EXPECT_EQ(doc.GetSpecialCode(5), 0);
    EXPECT_EQ(doc.GetSpecialCode(-1), 0);
}

TEST_F(DocTest, AFailedOpenLeavesThePreviousProjectOpen)
{
    NewProject();
    const qint32 group = AddGroup(QStringLiteral("kept"));
    ProjectDataEngine* engine = doc.GetEngine();

    const QString notAProject = dir.file(QStringLiteral("notes.kv4"));
    ASSERT_TRUE(testutil::WriteFile(notAProject, "just some text, no project"));
    const QString jet = dir.file(QStringLiteral("nwind.mdb"));
    ASSERT_TRUE(QFile::copy(testutil::DataPath(QStringLiteral("jet/nwind.mdb")), jet));
    const QString cases[] = {
        QString(),                              // nothing chosen
        dir.file(QStringLiteral("missing.kv4")), // no file
        notAProject,                            // a file of another kind
        path,                                   // the open project itself: in use
        jet,                                    // a Jet database that holds no project
    };
    for (const QString& chosen : cases) {
        messages.texts.clear();
        EXPECT_FALSE(frame.OpenCommand(chosen)) << chosen.toStdString();
        EXPECT_EQ(messages.texts.size(), chosen.isEmpty() ? 0 : 1) << chosen.toStdString();
        EXPECT_EQ(doc.GetEngine(), engine);
        EXPECT_EQ(ValueOf(db(), TopicId::DocumentGroups, group, 3), QStringLiteral("kept"));
        EXPECT_TRUE(log.Take().empty()) << "nothing was closed or announced";
    }
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("missing.kv4"))));
    // The Jet file stays, and its copy that turned out to be no project is gone.
    EXPECT_TRUE(QFileInfo::exists(jet));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("nwind.kv4"))));
    // The project still takes changes.
    EXPECT_NE(AddGroup(QStringLiteral("more")), 0);
}

TEST_F(DocTest, NewProjectRefusesTheOpenProjectAndExistingFiles)
{
    NewProject();
    EXPECT_EQ(doc.CreateProjectFile(path, QStringLiteral("MAIN")), nullptr);
    const QString other = dir.file(QStringLiteral("other.kv4"));
    ASSERT_TRUE(testutil::WriteFile(other, "keep me"));
    EXPECT_EQ(doc.CreateProjectFile(other, QStringLiteral("MAIN")), nullptr);
    EXPECT_EQ(testutil::ReadFile(other), QByteArray("keep me"));
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("is the project that is open")));
    EXPECT_NE(doc.GetEngine(), nullptr);
}

TEST_F(DocTest, ClosingSavesTheSettingsResetsTheWindowsAndLeavesOneFile)
{
    NewProject();
    const qint32 group = AddGroup(QStringLiteral("G"));
    doc.GetProgramLists().codesColorFilter = {0x0000FF};
    frame.CloseProjectUI();
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"frame.CloseProjectUI()", "pane.ResetContent()",
                                                    "owner.ClearQuickCodes()"}));
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 0);
    EXPECT_EQ(ValueOf(db(), TopicId::DocumentGroups, group, 3), QStringLiteral("<absent>"));
    EXPECT_NE(doc.GetEngine(), nullptr);  // the engine goes with the next open or at exit
    QString stored;
    ASSERT_TRUE(doc.ReadSetting(QStringLiteral("ColorCodesFilter"), stored));
    EXPECT_EQ(stored, QStringLiteral("255|"));

    doc.CloseDatabase();
    EXPECT_EQ(doc.GetEngine(), nullptr);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Projekt Ä.kv4")});
}

TEST_F(DocTest, ResetCachesKeepsEngineMemoAndSettings)
{
    NewProject();
    const qint32 memo = AddMemo({{MemoField::Title, QStringLiteral("project")}});
    ASSERT_TRUE(doc.WriteSettingString(QStringLiteral("ProjectMemo"), QString::number(memo)));
    doc.GetRetrievalSettings().sortOrder = 3;
    doc.LoadProjectSettings();
    ASSERT_EQ(doc.GetProjectMemo(), memo);
    ProjectDataEngine* engine = doc.GetEngine();
    doc.ResetCaches();
    EXPECT_EQ(doc.GetEngine(), engine);
    EXPECT_EQ(doc.GetProjectMemo(), memo);
    EXPECT_EQ(doc.GetRetrievalSettings().sortOrder, 3);
    EXPECT_EQ(db().GetRowCount(TopicId::Memos), 0);
}

TEST_F(DocTest, AProjectWhoseTopicCannotBeLoadedIsClosedWithAMessage)
{
    NewProject();
    const qint32 document = AddDocument(0, QStringLiteral("D"));
    AddCoding(document, AddCode(QStringLiteral("C")), 0, 1);
    frame.ExitCommand();
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("UPDATE [Codings] SET [StartChar]='not a number';")}));
    const QByteArray before = testutil::ReadFile(path);

    EXPECT_FALSE(frame.OpenCommand(path));
    EXPECT_EQ(doc.GetEngine(), nullptr);
    EXPECT_EQ(db().GetRowCount(TopicId::Documents), 0);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("could not be loaded")))
        << messages.texts.first().toStdString();
    EXPECT_EQ(frame.windowTitle, LoadString(1));
    EXPECT_EQ(testutil::ReadFile(path), before);
}

TEST_F(DocTest, AProjectThatCannotBeLoadedLeavesThePreviousProjectOpen)
{
    const QString broken = dir.file(QStringLiteral("broken.kv4"));
    {
        CKorDoc other;
        auto engine = other.CreateProjectFile(broken, QStringLiteral("MAIN"));
        ASSERT_TRUE(engine && other.OpenProject(std::move(engine), false));
        const qint32 document = AddRow(other.GetDatabase(), TopicId::Documents, {{DocumentField::Name, "D"}});
        AddRow(other.GetDatabase(), TopicId::Codings, {{CodingField::Document, document}});
    }
    ASSERT_TRUE(ExecOnFile(broken, {QStringLiteral("UPDATE [Codings] SET [StartChar]='not a number';")}));
    NewProject();
    const qint32 group = AddGroup(QStringLiteral("kept"));
    doc.GetProgramLists().quickCodes = {7};
    log.Take();

    // The frame closes the open project once the file gave an engine.
    EXPECT_FALSE(frame.OpenCommand(broken));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("broken.kv4")));
    ASSERT_NE(doc.GetEngine(), nullptr);
    EXPECT_EQ(doc.GetEngine()->GetPath(), path);
    EXPECT_EQ(frame.windowTitle, path + QStringLiteral(" - ") + LoadString(1));
    EXPECT_EQ(ValueOf(db(), TopicId::DocumentGroups, group, 3), QStringLiteral("kept"));
    EXPECT_EQ(doc.GetProgramLists().quickCodes, QList<qint32>{7});
    const std::vector<std::string> calls = log.Take();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "pane.OnObjectsAdded(2,[" + std::to_string(group) + "],1,0)"),
              calls.end())
        << "the trees are announced again";
    EXPECT_NE(AddGroup(QStringLiteral("more")), 0);
    frame.ExitCommand();
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT count(*) FROM [Textgroups];")), QStringList{QStringLiteral("2")});
}

TEST_F(DocTest, LoadingIntoAnotherDatabaseLeavesTheDocumentAlone)
{
    NewProject();
    AddGroup(QStringLiteral("own"));
    const QString otherPath = dir.file(QStringLiteral("other.kv4"));
    {
        CKorDoc other;
        auto engine = other.CreateProjectFile(otherPath, QStringLiteral("MAIN"));
        ASSERT_TRUE(engine && other.OpenProject(std::move(engine), false));
        AddRow(other.GetDatabase(), TopicId::DocumentGroups, {{3, QStringLiteral("theirs")}});
        AddRow(other.GetDatabase(), TopicId::CodeSets, {{3, QStringLiteral("not loaded")}});
    }
    ProjectDataEngine engine;
    ASSERT_TRUE(engine.Open(otherPath));
    TopicDatabase target;  // an exchange store: no code sets
    for (qint32 topic : {2, 4, 5, 6, 8, 10, 11, 12, 26})
        target.CreateTable(topic);
    target.SetEngine(&engine);
    ASSERT_TRUE(doc.LoadProjectTables(engine, target, false));
    EXPECT_EQ(ValueOf(target, TopicId::DocumentGroups, 1, 3), QStringLiteral("theirs"));
    EXPECT_EQ(target.GetTable(TopicId::Codes)->Fields().GetById(15)->State, 21);
    EXPECT_EQ(target.GetTable(TopicId::CodeSets), nullptr);
    EXPECT_EQ(ValueOf(db(), TopicId::DocumentGroups, 1, 3), QStringLiteral("own"));
    EXPECT_EQ(db().GetTable(TopicId::DocumentGroups)->GetListener(), static_cast<DataEngine*>(doc.GetEngine()));
    EXPECT_EQ(db().GetTable(TopicId::DocumentVariables)->Fields().Count(), 9);
}

TEST_F(DocTest, AnImportedProjectHasItsRichTextReencodedAndItsLinksRemoved)
{
    NewProject();
    const QByteArray linked = "{\\rtf1\\ansi See {\\field{\\*\\fldinst HYPERLINK \"http://example.org\"}"
                              "{\\fldrslt here}} now.\\par}";
    const QByteArray pdf = "%PDF-1.4 not really, but no rich text either {\\field}";
    const qint32 text = AddDocument(0, QStringLiteral("T"), linked);
    const qint32 other = AddDocument(0, QStringLiteral("P"), pdf, DocumentKind::Pdf);
    frame.ExitCommand();
    auto engine = doc.OpenProjectFile(path, QStringLiteral("MAIN"));
    ASSERT_TRUE(engine);
    ASSERT_TRUE(doc.OpenProject(std::move(engine), true));

    const QByteArray stored = BlobOf(db(), TopicId::Documents, text, DocumentField::Text);
    EXPECT_FALSE(stored.contains("HYPERLINK"));
    auto edit = CreateHiddenRichEdit();
    edit->StreamInRtf(&stored, false);
    QString plain;
    edit->GetText(&plain, 1000);
    EXPECT_TRUE(plain.startsWith(QStringLiteral("See here now."))) << plain.toStdString();
    EXPECT_EQ(BlobOf(db(), TopicId::Documents, other, DocumentField::Text), pdf);
}

TEST_F(DocTest, MemoryOnlyTopicsAreDefinedAtEveryOpen)
{
    NewProject();
    Reopen();
    for (qint32 topic : {TopicId::DocumentVariables, TopicId::CodeVariables}) {
        const TopicTable* table = db().GetTable(topic);
        ASSERT_EQ(table->Fields().Count(), 9) << topic;
        EXPECT_EQ(table->Fields().GetById(0)->State, 1);
        EXPECT_EQ(table->Fields().GetById(8)->Name, QStringLiteral("VarType"));
        EXPECT_TRUE(table->Fields().GetById(8)->HasState(FieldState::Hidden));
    }
    const struct {
        qint32 topic;
        int fields;
    } counts[] = {{29, 11}, {30, 7}, {21, 18}, {9, 9}, {18, 6}, {19, 7}};
    for (const auto& c : counts)
        EXPECT_EQ(db().GetTable(c.topic)->Fields().Count(), c.fields) << c.topic;
    EXPECT_EQ(db().GetTable(TopicId::MapLinks)->Fields().GetById(11)->Name, QStringLiteral("Document 2"));
    EXPECT_EQ(db().GetTable(TopicId::DictionaryCategories)->GetTemplate(2),
              db().GetTable(TopicId::DictionaryCategories)->GetTemplate(3));
    // References of the list topics reach the tables they name.
    EXPECT_TRUE(db().GetTable(TopicId::Documents)->GetReferringTopics().contains(TopicId::SearchHits));
    EXPECT_TRUE(db().GetTable(TopicId::DictionaryCategories)->GetReferringTopics().contains(TopicId::SearchHits));
}
