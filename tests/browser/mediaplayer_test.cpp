// The media player on real WAV files: loading and the late duration, the
// time texts, playing, pausing with rewind, the end of the media, the marks
// and their split, and what a player without file or playback refuses.

#include "browser/mediaplayer.h"
#include "common/mediafiles.h"
#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int kLoadTimeoutMs = 20000;

class MediaPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1)); }
    void TearDown() override { g_pStringStore->Close(); }

    /// A tone of the length in the test's folder, made once per name.
    QString Tone(const QString& name, double seconds, int sampleRate = 8000)
    {
        const QString path = dir.file(name);
        if (!QFileInfo::exists(path))
            EXPECT_TRUE(testutil::MakeToneWav(path, seconds, sampleRate)) << "sox failed for " << name.toStdString();
        return path;
    }
    /// An active player with the file loaded and its duration known.
    std::unique_ptr<CMediaPlayer> Loaded(const QString& path)
    {
        auto player = std::make_unique<CMediaPlayer>();
        EXPECT_TRUE(player->Open(true));
        QSignalSpy duration(player.get(), &CMediaPlayer::DurationKnown);
        player->LoadFile(path);
        EXPECT_TRUE(QTest::qWaitFor([&] { return player->GetDuration(false) > 0; }, kLoadTimeoutMs))
            << path.toStdString();
        return player;
    }
    /// Seeks while paused and waits until the playback is there.
    static void PausedAt(CMediaPlayer& player, qint32 ms)
    {
        ASSERT_FALSE(player.IsRunning());
        ASSERT_TRUE(player.SeekToMs(ms));
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(player.GetPositionMs() - ms) < 50; }, kLoadTimeoutMs))
            << "position " << player.GetPositionMs() << " for " << ms;
    }
    static QList<MediaMark> Marks(std::initializer_list<std::array<qint32, 3>> rows)
    {
        QList<MediaMark> marks;
        qint32 id = 1;
        for (const auto& [position, begin, end] : rows)
            marks.append(MediaMark{id++, position, 0, 0, begin, end, 0});
        return marks;
    }

    testutil::TempDir dir;
};

TEST(MediaTimeTextTest, HoursAreNotWrappedAndEachPartHasTwoDigits)
{
    const struct {
        qint64 seconds;
        const char* text;
    } cases[] = {
        {0, "00:00:00"}, {59, "00:00:59"}, {60, "00:01:00"}, {3725, "01:02:05"}, {7200, "02:00:00"},
        {60 * 3600, "60:00:00"}, {100 * 3600 + 61, "100:01:01"}, {-5, "00:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMediaPlayer::FormatTime(c.seconds), QString::fromLatin1(c.text)) << c.seconds;
}

TEST(MediaMarkTest, IsSevenIntegersAsTheMarkArraysStoreThem)
{
    EXPECT_EQ(sizeof(MediaMark), 28u);
}

TEST_F(MediaPlayerTest, DurationArrivesLaterAndSetsTheTexts)
{
    auto player = std::make_unique<CMediaPlayer>();
    ASSERT_TRUE(player->Open(true));
    EXPECT_EQ(player->PositionText(), QStringLiteral("00:00:00"));
    QSignalSpy duration(player.get(), &CMediaPlayer::DurationKnown);
    player->LoadFile(Tone(QStringLiteral("five.wav"), 5));
    EXPECT_TRUE(player->IsPositionTimerRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !duration.isEmpty(); }, kLoadTimeoutMs));
    EXPECT_EQ(duration.last().at(0).toInt(), 5);
    EXPECT_EQ(player->GetDuration(true), 5);
    EXPECT_NEAR(player->GetDuration(false), 5000, 50);
    QString text;
    EXPECT_EQ(player->FormatPosition(text), 0);
    EXPECT_EQ(text, QStringLiteral("00:00:00 / 00:00:05"));
}

TEST_F(MediaPlayerTest, RelativePathsLiveInTheExternalsFolder)
{
    BuildOptionDefinitions();
    g_qdaOptions.SetString(QdaOption::ExternalsFolder, dir.path());
    Tone(QStringLiteral("talk.wav"), 1);
    CMediaPlayer player;
    ASSERT_TRUE(player.Open(true));
    player.LoadFile(QStringLiteral("talk.wav"));
    EXPECT_EQ(player.FileName(), dir.file(QStringLiteral("talk.wav")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.GetDuration(true) == 1; }, kLoadTimeoutMs));
    player.LoadFile(QString());
    EXPECT_FALSE(player.HasFileName());
    EXPECT_FALSE(player.IsPositionTimerRunning());
}

TEST_F(MediaPlayerTest, AFileThatCannotPlayKeepsZeroTimes)
{
    const QString path = dir.file(QStringLiteral("broken.wav"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("RIFF not really a wave file");
    }
    CMediaPlayer player;
    ASSERT_TRUE(player.Open(true));
    QSignalSpy failed(&player, &CMediaPlayer::MediaFailed);
    player.LoadFile(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failed.isEmpty(); }, kLoadTimeoutMs));
    EXPECT_EQ(player.GetDuration(false), 0);
    EXPECT_EQ(player.DurationText(), QStringLiteral("00:00:00"));
    EXPECT_EQ(player.PositionText(), QStringLiteral("00:00:00"));
}

// The player's edge cases, each on a player of its own.
TEST_F(MediaPlayerTest, EdgeCases)
{
    const QString ten = Tone(QStringLiteral("ten.wav"), 10);
    const QString almostFive = Tone(QStringLiteral("almostfive.wav"), 4.9);
    const QString two = Tone(QStringLiteral("two.wav"), 2);
    const struct {
        const char* name;
        const QString& file;
        std::function<void(CMediaPlayer&)> check;
    } cases[] = {
        {"resuming at 3 s with a rewind of 5 s starts at 0", ten,
         [](CMediaPlayer& player) {
             player.SetRewindSeconds(5);
             PausedAt(player, 3000);
             ASSERT_TRUE(player.TogglePlay(true));
             EXPECT_TRUE(player.IsRunning());
             EXPECT_EQ(player.GetPositionSeconds(), 0);
             EXPECT_TRUE(QTest::qWaitFor([&] { return player.GetPositionMs() < 2000; }, kLoadTimeoutMs));
         }},
        {"pausing keeps the place, resuming with rewind goes back by the rewind", ten,
         [](CMediaPlayer& player) {
             player.SetRewindSeconds(2);
             PausedAt(player, 6000);
             ASSERT_TRUE(player.TogglePlay(false));
             ASSERT_TRUE(player.TogglePlay(false));
             EXPECT_FALSE(player.IsRunning());
             EXPECT_GE(player.GetPositionSeconds(), 6);
             ASSERT_TRUE(player.TogglePlay(true));
             EXPECT_GE(player.GetPositionSeconds(), 4);
             EXPECT_LT(player.GetPositionSeconds(), 6);
         }},
        {"the position timer reaching the duration stops and rewinds", almostFive,
         [](CMediaPlayer& player) {
             // 4.9 s last 4 whole seconds: at 4.5 s the timer ends playback
             // before the media does.
             QSignalSpy stopped(&player, &CMediaPlayer::Stopped);
             PausedAt(player, 4500);
             ASSERT_TRUE(player.TogglePlay(false));
             ASSERT_TRUE(player.UpdatePosition());
             EXPECT_FALSE(player.IsRunning());
             EXPECT_EQ(stopped.count(), 1);
             EXPECT_EQ(player.PositionText(), QStringLiteral("00:00:00"));
             EXPECT_EQ(player.GetPositionSeconds(), 0);
             EXPECT_FALSE(player.UpdatePosition());
         }},
        {"the end of the media stops and rewinds", two,
         [](CMediaPlayer& player) {
             QSignalSpy stopped(&player, &CMediaPlayer::Stopped);
             PausedAt(player, 1500);
             ASSERT_TRUE(player.TogglePlay(false));
             ASSERT_TRUE(QTest::qWaitFor([&] { return !stopped.isEmpty(); }, kLoadTimeoutMs));
             EXPECT_FALSE(player.IsRunning());
             EXPECT_EQ(player.PositionText(), QStringLiteral("00:00:00"));
             EXPECT_EQ(player.GetPositionSeconds(), 0);
             QString text;
             player.FormatPosition(text);
             EXPECT_EQ(text, QStringLiteral("00:00:00 / 00:00:02"));
         }},
        {"next on the last mark and previous on the first refuse and stay", ten,
         [](CMediaPlayer& player) {
             player.Marks() = Marks({{0, 0, 4000}, {20, 4000, 8000}});
             PausedAt(player, 1000);
             player.UpdateCurrentMark();
             EXPECT_FALSE(player.CanGoPreviousMark());
             EXPECT_FALSE(player.PreviousMark());
             EXPECT_NEAR(player.GetPositionMs(), 1000, 50);
             ASSERT_TRUE(player.NextMark());
             EXPECT_EQ(player.GetCurrentMark(), 1);
             ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(player.GetPositionMs() - 4000) < 50; }, kLoadTimeoutMs));
             EXPECT_FALSE(player.CanGoNextMark());
             EXPECT_FALSE(player.NextMark());
             EXPECT_NEAR(player.GetPositionMs(), 4000, 50);
             ASSERT_TRUE(player.PreviousMark());
             EXPECT_EQ(player.GetCurrentMark(), 0);
         }},
        {"a position before the first mark makes mark 0 current", ten,
         [](CMediaPlayer& player) {
             player.Marks() = Marks({{0, 3000, 5000}, {20, 5000, 9000}});
             PausedAt(player, 6000);
             EXPECT_TRUE(player.UpdateCurrentMark());
             EXPECT_EQ(player.GetCurrentMark(), 1);
             PausedAt(player, 1000);
             EXPECT_TRUE(player.UpdateCurrentMark());
             EXPECT_EQ(player.GetCurrentMark(), 0);
         }},
        {"a split exactly at a mark's begin or end is refused", ten,
         [](CMediaPlayer& player) {
             player.Marks() = Marks({{0, 0, 4000}, {20, 4000, 8000}});
             const QList<MediaMark> before = player.Marks();
             for (const qint32 at : {4000, 8000}) {
                 PausedAt(player, at);
                 QList<qint32> changed;
                 EXPECT_FALSE(player.SplitMarkAtPosition(10, changed)) << at;
                 EXPECT_TRUE(changed.isEmpty());
                 EXPECT_EQ(player.Marks(), before) << at;
             }
         }},
        {"a split inside a middle mark needs a text position between the marks", ten,
         [](CMediaPlayer& player) {
             player.Marks() = Marks({{0, 0, 4000}, {20, 4000, 8000}});
             const QList<MediaMark> before = player.Marks();
             PausedAt(player, 2500);
             QList<qint32> changed;
             for (const qint32 position : {0, 20, 25})
                 EXPECT_FALSE(player.SplitMarkAtPosition(position, changed)) << position;
             EXPECT_EQ(player.Marks(), before);
             ASSERT_TRUE(player.SplitMarkAtPosition(12, changed));
             EXPECT_EQ(changed, (QList<qint32>{0, 1}));
             ASSERT_EQ(player.Marks().size(), 3);
             const qint32 t = player.Marks().at(0).endMs;
             EXPECT_NEAR(t, 2500, 50);
             EXPECT_EQ(player.Marks().at(1), (MediaMark{0, 12, 0, 0, t, 4000, 0}));
             EXPECT_EQ(player.Marks().at(2), before.at(1));
         }},
        {"a single mark always splits when the time lies inside it", ten,
         [](CMediaPlayer& player) {
             player.Marks() = Marks({{5, 1000, 9000}});
             PausedAt(player, 3000);
             QList<qint32> changed;
             ASSERT_TRUE(player.SplitMarkAtPosition(0, changed));
             EXPECT_EQ(changed, (QList<qint32>{0, 1}));
             ASSERT_EQ(player.Marks().size(), 2);
             EXPECT_EQ(player.Marks().at(0).endMs, player.Marks().at(1).beginMs);
             EXPECT_EQ(player.Marks().at(1).endMs, 9000);
             EXPECT_EQ(player.Marks().at(1).textPosition, 0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CMediaPlayer> player = Loaded(c.file);
        c.check(*player);
    }
}

TEST_F(MediaPlayerTest, WithoutFileOrWhenOffNothingMoves)
{
    CMediaPlayer player;
    ASSERT_TRUE(player.Open(false));
    player.Marks() = Marks({{0, 0, 1000}, {10, 1000, 2000}});
    player.LoadFile(Tone(QStringLiteral("one.wav"), 1));
    EXPECT_FALSE(player.IsPositionTimerRunning()) << "an inactive player renders nothing";
    QList<qint32> changed;
    EXPECT_FALSE(player.SeekToMs(500));
    EXPECT_FALSE(player.SeekToTimeText(QStringLiteral("00:00:00.500")));
    EXPECT_FALSE(player.NextMark());
    EXPECT_FALSE(player.CanGoNextMark());
    EXPECT_FALSE(player.SplitMarkAtPosition(5, changed));
    EXPECT_FALSE(player.UpdatePosition());

    // Switched on, the file renders and the duration follows.
    EXPECT_TRUE(player.ToggleActive());
    EXPECT_TRUE(player.IsPositionTimerRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.GetDuration(true) == 1; }, kLoadTimeoutMs));
    EXPECT_TRUE(player.CanGoNextMark());
    EXPECT_FALSE(player.ToggleActive());
    EXPECT_FALSE(player.IsPositionTimerRunning());
}

TEST_F(MediaPlayerTest, ATimeTextSeeksAndAlwaysPlays)
{
    auto player = Loaded(Tone(QStringLiteral("ten.wav"), 10));
    ASSERT_TRUE(player->SeekToTimeText(QStringLiteral("00:00:07.250")));
    EXPECT_TRUE(player->IsRunning());
    EXPECT_EQ(player->GetPositionSeconds(), 7);
    EXPECT_GE(player->GetPositionMs(), 7000);
}

TEST_F(MediaPlayerTest, EventsWithoutPlaybackAreReportedAsTheEventInterfaceError)
{
    testutil::ScriptedMessages messages;
    CMediaPlayer player;
    EXPECT_FALSE(player.OnGraphEvent());
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("MediaEventEx interface error")});
}

}  // namespace
