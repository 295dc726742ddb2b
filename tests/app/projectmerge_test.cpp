// The frame's Add project command: prompt, question, merge, trees refilled;
// the open project itself refused with a message and nothing changed.

#include "app/appids.h"
#include "exchange/exchangeids.h"
#include "exchange/projectmerge.h"
#include "foundation/stringstore.h"
#include "framefixture.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "visual/modelreferences.h"

#include <QFile>

#include <algorithm>

using namespace frametest;

namespace {

QByteArray BytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class AddProjectTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        merge.SetModelReferenceMapper(&RemapModelReferences);
        document.SetMergeService(&merge);
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        document.SetMergeService(nullptr);
    }

    /// A project with a group, a document in it and a code.
    QString MakeOtherProject()
    {
        const QString path = MakeProject(QStringLiteral("Other.kv4"));
        CKorDoc maker;
        EXPECT_TRUE(maker.OpenProject(maker.OpenProjectFile(path, QStringLiteral("MAIN")), false));
        const qint32 group = maker.NewDocumentGroupNamed(QStringLiteral("Field notes"));
        EXPECT_TRUE(maker.NewDocument(group, QStringLiteral("Note 1"), "{\\rtf1\\ansi At the market.}", {}));
        EXPECT_TRUE(maker.NewCode({0, QStringLiteral("Places"), 0}));
        maker.CloseDatabase();
        return path;
    }

    ProjectMerge merge;
};

TEST_F(AddProjectTest, TheChosenProjectIsMergedAfterTheQuestion)
{
    const QString other = MakeOtherProject();
    const QByteArray otherBytes = BytesOf(other);
    ShowFrame();
    const QString study = MakeProject(QStringLiteral("Study.kv4"));
    OpenThroughMenu(study);
    log.Take();

    messages.files.append({other});
    messages.AddAnswers({MessageAnswer::Yes});
    ClickMenuCommand(*frame, 0, CommandId::AddProject);

    EXPECT_EQ(messages.prompts.last().title, QStringLiteral("Add a project"));
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts.last(), LoadString(MergeText::ReplaceCodeMemosQuestion));
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 1);
    EXPECT_EQ(db().GetRowCount(TopicId::Documents), 1);
    EXPECT_EQ(db().GetRowCount(TopicId::Codes), 1);
    // The trees were emptied and filled again with the merged objects.
    const std::vector<std::string> calls = log.Take();
    const auto reset = std::find(calls.begin(), calls.end(), "pane.ResetContent()");
    ASSERT_NE(reset, calls.end()) << testing::PrintToString(calls);
    EXPECT_NE(std::find_if(reset, calls.end(),
                           [](const std::string& call) { return call.find("pane.OnObjectAdded") == 0 ||
                                                                call.find("pane.OnObjectsAdded") == 0; }),
              calls.end())
        << testing::PrintToString(calls);
    EXPECT_EQ(BytesOf(other), otherBytes);
    EXPECT_EQ(messages.texts.size(), 1) << messages.texts.join(u'\n').toStdString();
}

TEST_F(AddProjectTest, TheOpenProjectIsRefusedAndNothingChanges)
{
    ShowFrame();
    const QString study = MakeProject(QStringLiteral("Study.kv4"));
    OpenThroughMenu(study);
    document.NewDocumentGroupNamed(QStringLiteral("Own"));
    messages.files.append({study});
    ClickMenuCommand(*frame, 0, CommandId::AddProject);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("cannot be merged into itself")))
        << messages.texts.first().toStdString();
    EXPECT_TRUE(messages.questions.isEmpty());
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 1);
}

}  // namespace
