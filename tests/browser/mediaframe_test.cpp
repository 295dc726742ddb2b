// The frame's media rows over a study whose transcript links a recording:
// loading and unloading it with the shown document, the toolbar's commands
// by clicks (and its picture), the video window and the foot switch.

#include "app/listwindows.h"
#include "browser/mediaids.h"
#include "browser/mediaplayer.h"
#include "browser/mediatoolbar.h"
#include "browser/mpvideodlg.h"
#include "browser/studyframe.h"
#include "common/mediafiles.h"
#include "common/recordedreports.h"
#include "common/screenshots.h"
#include "platform/footswitch/footswitchreader.h"
#include "platform/profile/privateprofile.h"
#include "ui/treeimages.h"

#include <QSlider>
#include <QVideoWidget>
#include <QToolButton>

namespace {

constexpr int kLoadTimeoutMs = 20000;

class MediaFrameTest : public browsertest::StudyFrame {
protected:
    void SetUp() override
    {
        StudyFrame::SetUp();
        // A 300 s recording at 1 kHz stays small.
        recording = dir.file(QStringLiteral("clara.wav"));
        ASSERT_TRUE(testutil::MakeToneWav(recording, 300, 1000));
        CKorDoc maker;
        ASSERT_TRUE(maker.OpenProject(maker.OpenProjectFile(path, QStringLiteral("MAIN")), false));
        TopicDatabase& store = maker.GetDatabase();
        const qint32 group = store.GetIntValue(TopicId::Documents, anna, DocumentField::GroupID);
        clara = doctest::AddRow(store, TopicId::Documents,
                                {{DocumentField::GroupID, group},
                                 {DocumentField::Name, QStringLiteral("Clara")},
                                 {DocumentField::Text, doctest::RtfOf(kClaraText)},
                                 {DocumentField::MediaFile, recording}});
        const QString times[] = {QStringLiteral("00:00:00.000"), QStringLiteral("00:00:20.000"),
                                 QStringLiteral("00:01:00.000"), QStringLiteral("00:05:00.000")};
        const qint32 positions[] = {0, 19, 40};
        for (int i = 0; i < 3; ++i)
            marks.append(doctest::AddRow(store, TopicId::MediaMarks,
                                         {{MediaMarkField::Document, clara},
                                          {MediaMarkField::StartChar, positions[i]},
                                          {MediaMarkField::Begin, times[i]},
                                          {MediaMarkField::End, times[i + 1]}}));
        maker.CloseDatabase();
    }

    CMediaPlayer& player() { return *frame->MediaPlayer(); }
    CMediaToolBar& bar() { return *frame->MediaToolBar(); }
    /// Opens the study and shows Clara, whose recording's duration arrives.
    void ShowClara()
    {
        OpenThroughMenu(path);
        ASSERT_EQ(OpenPath(), path) << messages.texts.join(u'\n').toStdString();
        OpenFromTree(clara);
        ASSERT_EQ(browser().GetShownDocument(), clara);
        ASSERT_TRUE(QTest::qWaitFor([&] { return player().GetDuration(true) == 300; }, kLoadTimeoutMs));
    }
    /// Clicks a toolbar button, as a user does, once the bar's states are fresh.
    void Click(int command)
    {
        frame->Commands().UpdateToolbarActions();
        QAction* action = bar().CommandAction(command);
        ASSERT_NE(action, nullptr) << command;
        ASSERT_TRUE(action->isEnabled()) << command;
        auto* button = qobject_cast<QToolButton*>(bar().widgetForAction(action));
        ASSERT_NE(button, nullptr) << command;
        QTest::mouseClick(button, Qt::LeftButton);
        frame->Commands().UpdateToolbarActions();
    }
    bool Checked(int command) const
    {
        frame->Commands().UpdateToolbarActions();
        return frame->MediaToolBar()->CommandAction(command)->isChecked();
    }
    bool Enabled(int command) const
    {
        frame->Commands().UpdateToolbarActions();
        return frame->MediaToolBar()->CommandAction(command)->isEnabled();
    }
    /// The player's position, waited for.
    bool PlaysAt(qint32 fromMs, qint32 toMs)
    {
        return QTest::qWaitFor(
            [&] { return player().GetPositionMs() >= fromMs && player().GetPositionMs() < toMs; }, kLoadTimeoutMs);
    }

    const QStringList kClaraText = {QStringLiteral("Hello, I am Clara."), QStringLiteral("I keep bees too."),
                                    QStringLiteral("Every summer.")};
    QString recording;
    qint32 clara = 0;
    QList<qint32> marks;
};

TEST_F(MediaFrameTest, ShowingATranscriptLoadsItsRecordingMarksAndSlider)
{
    ShowClara();
    EXPECT_EQ(bar().TimeLabel()->text(), QStringLiteral("00:00:00 / 00:05:00"));
    // 300 s: range 300, page 300 / 30, ticks 300 / 300.
    EXPECT_EQ(bar().Slider()->maximum(), 300);
    EXPECT_EQ(bar().Slider()->pageStep(), 10);
    EXPECT_EQ(bar().Slider()->tickInterval(), 1);
    ASSERT_EQ(player().Marks().size(), 3);
    EXPECT_EQ(player().Marks().at(1), (MediaMark{marks.at(1), 19, 0, 0, 20000, 60000, 0}));
    ASSERT_EQ(frame->TimeMarks().size(), 3);
    EXPECT_EQ(frame->TimeMarks().at(2).id, marks.at(2));
    ASSERT_NE(frame->VideoWindow(), nullptr);
    EXPECT_FALSE(frame->VideoWindow()->isVisible());
    EXPECT_TRUE(Enabled(MediaCommand::TogglePlay));
    EXPECT_TRUE(Enabled(MediaCommand::NextMark));
    EXPECT_FALSE(Enabled(MediaCommand::PreviousMark));
}

TEST_F(MediaFrameTest, ToolbarButtonsDriveThePlayer)
{
    ShowClara();
    bar().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar()));

    Click(MediaCommand::TogglePlay);
    EXPECT_TRUE(player().IsRunning());
    EXPECT_TRUE(Checked(MediaCommand::TogglePlay));

    Click(MediaCommand::NextMark);
    EXPECT_EQ(player().GetCurrentMark(), 1);
    EXPECT_TRUE(player().IsRunning());
    EXPECT_TRUE(PlaysAt(20000, 60000));
    EXPECT_TRUE(Enabled(MediaCommand::PreviousMark));
    Click(MediaCommand::NextMark);
    EXPECT_EQ(player().GetCurrentMark(), 2);
    EXPECT_FALSE(Enabled(MediaCommand::NextMark));
    Click(MediaCommand::PreviousMark);
    EXPECT_EQ(player().GetCurrentMark(), 1);

    Click(MediaCommand::FollowMarks);
    EXPECT_TRUE(player().IsFollowingMarks());
    EXPECT_TRUE(Checked(MediaCommand::FollowMarks));

    // The position timer puts the place into the label while playing.
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar().TimeLabel()->text().startsWith(QStringLiteral("00:00:2")); },
                                kLoadTimeoutMs))
        << bar().TimeLabel()->text().toStdString();

    Click(MediaCommand::Stop);
    EXPECT_FALSE(player().IsRunning());
    EXPECT_FALSE(Checked(MediaCommand::TogglePlay));
    EXPECT_EQ(bar().TimeLabel()->text(), QStringLiteral("00:00:00 / 00:05:00"));
    EXPECT_EQ(bar().Slider()->value(), 0);

    Click(MediaCommand::Video);
    ASSERT_NE(frame->VideoWindow(), nullptr);
    EXPECT_TRUE(frame->VideoWindow()->isVisible());
    EXPECT_TRUE(Checked(MediaCommand::Video));
    Click(MediaCommand::Video);
    EXPECT_FALSE(frame->VideoWindow()->isVisible());

    Click(MediaCommand::MarkList);
    ObjectListWindow* list = frame->ListWindows().Window(CListWindows::MediaMarks);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(Checked(MediaCommand::MarkList));
    list->close();
}

TEST_F(MediaFrameTest, ASliderDragEndsInASeek)
{
    ShowClara();
    bar().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar()));
    QSlider& slider = *bar().Slider();
    slider.setSliderDown(true);
    EXPECT_TRUE(bar().IsSliderTracking());
    slider.setSliderPosition(90);
    bar().SetSliderPosition(5);
    EXPECT_EQ(slider.value(), 90) << "the timer leaves a dragged slider alone";
    slider.setSliderDown(false);
    EXPECT_FALSE(bar().IsSliderTracking());
    EXPECT_TRUE(PlaysAt(90000, 91000));
    EXPECT_EQ(player().GetPositionSeconds(), 90);
    EXPECT_EQ(bar().TimeLabel()->text(), QStringLiteral("00:01:30 / 00:05:00"));
}

TEST_F(MediaFrameTest, ToolbarPicture)
{
    ShowClara();
    bar().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar()));
    frame->Commands().UpdateToolbarActions();
    EXPECT_TRUE(testutil::MatchesReferenceImage(&bar(), testutil::DataPath(QStringLiteral("screenshots/media_toolbar.png"))));
    EXPECT_EQ(bar().CommandAction(MediaCommand::TogglePlay)->toolTip(), QStringLiteral("Play/Pause  F4"));
    EXPECT_EQ(bar().CommandAction(MediaCommand::Stop)->toolTip(), QStringLiteral("Stop"));
}

TEST_F(MediaFrameTest, AnEmptyPathWithNothingLoadedChangesNothing)
{
    OpenThroughMenu(path);
    OpenFromTree(ben);
    ASSERT_EQ(browser().GetShownDocument(), ben);
    const QString label = bar().TimeLabel()->text();
    EXPECT_TRUE(frame->LoadMedia(QString()));
    EXPECT_FALSE(player().HasFileName());
    EXPECT_EQ(frame->VideoWindow(), nullptr);
    EXPECT_EQ(bar().TimeLabel()->text(), label);
    EXPECT_FALSE(Enabled(MediaCommand::TogglePlay));
    frame->close();
    frame.reset();
    CMainFrame closed(nullptr, nullptr);
    EXPECT_FALSE(closed.LoadMedia(recording)) << "no project: nothing to load into";
}

TEST_F(MediaFrameTest, ATranscriptWithoutRecordingAfterOneWithHidesTheVideoAndTheMarks)
{
    ShowClara();
    Click(MediaCommand::Video);
    Click(MediaCommand::MarkList);
    ASSERT_NE(frame->ListWindows().Window(CListWindows::MediaMarks), nullptr);
    Click(MediaCommand::TogglePlay);

    OpenFromTree(ben);
    ASSERT_EQ(browser().GetShownDocument(), ben);
    EXPECT_FALSE(player().HasFileName());
    EXPECT_FALSE(player().IsRunning());
    EXPECT_TRUE(player().Marks().isEmpty());
    EXPECT_TRUE(frame->TimeMarks().isEmpty());
    ASSERT_NE(frame->VideoWindow(), nullptr);
    EXPECT_FALSE(frame->VideoWindow()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->ListWindows().Window(CListWindows::MediaMarks); }, 5000));
    for (const int command : {MediaCommand::TogglePlay, MediaCommand::Video, MediaCommand::MarkList,
                              MediaCommand::Stop, MediaCommand::NextMark})
        EXPECT_FALSE(Enabled(command)) << command;
}

TEST_F(MediaFrameTest, ThePedalPlaysWithRewindAndPauses)
{
    auto source = std::make_unique<testutil::RecordedReports>();
    testutil::RecordedReports* pedal = source.get();
    frame->SetFootswitchSource(std::move(source));
    QList<int> events;
    QObject::connect(frame->Footswitch(), &FootswitchReader::FootswitchEvent, frame.get(), [&](int event) { events.append(event); });

    // Pressed while Ben (no recording) is shown: nothing plays.
    OpenThroughMenu(path);
    OpenFromTree(ben);
    pedal->Push("000200");
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 1; }, 5000));
    EXPECT_FALSE(player().IsRunning());

    OpenFromTree(clara);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player().GetDuration(true) == 300; }, kLoadTimeoutMs));
    player().SetRewindSeconds(3);
    player().SeekToSeconds(10);
    pedal->Push("000200");
    ASSERT_TRUE(QTest::qWaitFor([&] { return player().IsRunning(); }, 5000));
    EXPECT_TRUE(PlaysAt(7000, 9000)) << "10 s less the rewind of 3 s";
    pedal->Push("000000");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player().IsRunning(); }, 5000));
    pedal->Push("000200");
    ASSERT_TRUE(QTest::qWaitFor([&] { return player().IsRunning(); }, 5000));
    // Unplugged while playing: the frame pauses.
    pedal->Push(std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player().IsRunning(); }, 5000));
    EXPECT_EQ(events.last(), FootswitchReader::DeviceRemoved);
}

TEST_F(MediaFrameTest, AStampSplitsTheMarkAtTheSelectionAndStoresIt)
{
    ShowClara();
    player().SeekToSeconds(30);
    ASSERT_TRUE(PlaysAt(30000, 30500));
    browsertest::SelectWordAt(text(), 22);   // "keep", inside the second mark's text
    ASSERT_TRUE(browser().HasSelection());
    frame->Commands().Execute(MediaCommand::Stamp);
    ASSERT_EQ(player().Marks().size(), 4);
    const MediaMark added = player().Marks().at(2);
    EXPECT_NE(added.id, 0) << "the new mark is stored";
    EXPECT_EQ(added.beginMs, 30000);
    EXPECT_EQ(added.endMs, 60000);
    EXPECT_EQ(player().Marks().at(1).endMs, 30000);
    EXPECT_EQ(doctest::ValueOf(document.GetDatabase(), TopicId::MediaMarks, added.id, MediaMarkField::Begin),
              QStringLiteral("00:00:30.000"));
    EXPECT_EQ(doctest::ValueOf(document.GetDatabase(), TopicId::MediaMarks, marks.at(1), MediaMarkField::End),
              QStringLiteral("00:00:30.000"));
    EXPECT_EQ(frame->TimeMarks().size(), 4);
}

// ---- The video window ---------------------------------------------------

class VideoWindowTest : public frametest::FrameTest {
protected:
    void TearDown() override
    {
        // The picture's window goes through deferred deletion.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FrameTest::TearDown();
    }
};

TEST_F(VideoWindowTest, ThePictureKeepsSevenPixelsFromEachEdge)
{
    EXPECT_EQ(CMPVideoDlg::VideoRect(QSize(300, 200)), QRect(7, 7, 286, 186));
    CMPVideoDlg dialog(nullptr, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.VideoWidget()->geometry(), QRect(7, 7, 286, 186));
    // Its icon is the frame's picture for it.
    const QPixmap expected = TreeImages::NodeImages().value(MediaIds::VideoIcon);
    ASSERT_FALSE(dialog.windowIcon().isNull());
    EXPECT_EQ(dialog.windowIcon().pixmap(expected.size()).toImage().convertToFormat(QImage::Format_ARGB32),
              expected.toImage().convertToFormat(QImage::Format_ARGB32));
}

TEST_F(VideoWindowTest, PlacementIsRestoredHiddenOnlyFromTenNumbers)
{
    PrivateProfile profile(g_program.ProfilePath);
    const struct {
        const char* text;
        bool restored;
    } cases[] = {
        {"0,1,-1,-1,-1,-1,120,80,520,380", true},
        {"0,1,-1,-1,-1,-1,120,80,520", false},
        {"0,1,-1,-1,-1,-1,120,80,520,x", false},
        {"", false},
        {"0,1,-1,-1,-1,-1,120,80,100,380", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        profile.WriteString(QStringLiteral("dlgVideo"), QStringLiteral("WindowPos"), QString::fromLatin1(c.text));
        CMPVideoDlg dialog(nullptr, nullptr);
        const QRect built = dialog.geometry();
        EXPECT_EQ(dialog.RestoreVideoPlacement(), c.restored);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.geometry(), c.restored ? QRect(120, 80, 400, 300) : built);
    }
}

TEST_F(VideoWindowTest, TheCloseBoxHidesSavesAndTheNextShowComesBackThere)
{
    QRect placed;
    {
        CMPVideoDlg dialog(nullptr, nullptr);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.setGeometry(140, 90, 330, 210);
        QCoreApplication::processEvents();
        placed = dialog.geometry();
        dialog.close();
        EXPECT_FALSE(dialog.isVisible());
        const QStringList saved =
            PrivateProfile(g_program.ProfilePath).GetString(QStringLiteral("dlgVideo"), QStringLiteral("WindowPos")).split(u',');
        ASSERT_EQ(saved.size(), 10);
        EXPECT_EQ(saved.mid(6), (QStringList{QString::number(placed.left()), QString::number(placed.top()),
                                             QString::number(placed.left() + placed.width()),
                                             QString::number(placed.top() + placed.height())}));
    }
    CMPVideoDlg again(nullptr, nullptr);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.geometry(), placed);
}

}  // namespace
