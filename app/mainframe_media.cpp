// The frame's media rows: the player and its toolbar, the media commands
// and their states, the position timer, the video window, loading the
// shown transcript's media file and the foot switch.

#include "app/listwindows.h"
#include "app/mainframe.h"

#include "browser/mediaids.h"
#include "browser/mediaplayer.h"
#include "browser/mediatoolbar.h"
#include "browser/mpvideodlg.h"
#include "browser/textcoderwindow.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/footswitch/footswitchreader.h"
#include "platform/footswitch/udevmonitor.h"
#include "platform/profile/privateprofile.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QAction>
#include <QSlider>

namespace {

/// The foot switch's own event for a time stamp.
constexpr int kFootswitchStamp = 99;
// The buttons of the media toolbar, in order.
constexpr int kMediaButtons[] = {MediaCommand::Load,         MediaCommand::MarkList, MediaCommand::FollowMarks,
                                 MediaCommand::Video,        MediaCommand::Stamp,    MediaCommand::PreviousMark,
                                 MediaCommand::Stop,         MediaCommand::TogglePlay, MediaCommand::NextMark};

bool IsMediaCommand(int id)
{
    return id >= MediaCommand::Load && id <= MediaCommand::Video;
}

// The media file named by a document row; empty when none.
QString MediaFileOf(TopicDatabase& db, qint32 document)
{
    RowBuffer row;
    FieldValue value;
    if (!db.ReadRow(TopicId::Documents, document, row, false) || !row.GetFieldValue(DocumentField::MediaFile, value))
        return QString();
    return value.GetText().trimmed();
}

}  // namespace

CMediaToolBar* CMainFrame::BuildMediaToolBar()
{
    m_mediaBar = new CMediaToolBar(LoadString(MediaText::Toolbar), this);
    QList<QAction*> buttons;
    for (const int id : kMediaButtons)
        buttons.append(m_commands.Action(id));
    m_mediaBar->AddButtons(buttons);
    addToolBar(Qt::BottomToolBarArea, m_mediaBar);
    m_mediaBar->hide();
    connect(m_mediaBar, &CMediaToolBar::CommandRequested, this, [this](int id) { m_commands.Execute(id); });
    return m_mediaBar;
}

void CMainFrame::SetupMediaPlayer()
{
    m_mediaPlayer = std::make_unique<CMediaPlayer>();
    connect(m_mediaPlayer.get(), &CMediaPlayer::PositionTimer, this, &CMainFrame::OnMediaPositionTimer);
    connect(m_mediaPlayer.get(), &CMediaPlayer::DurationKnown, this, &CMainFrame::ApplyMediaDuration);
    connect(m_mediaPlayer.get(), &CMediaPlayer::Stopped, this, &CMainFrame::RefreshMediaPosition);
    // The player is on for whatever transcript the browser shows.
    if (m_mediaPlayer->Open(true)) {
        m_mediaPlayer->SetRate(g_qdaOptions.GetDouble(QdaOption::MediaRate));
        m_mediaPlayer->SetRewindSeconds(g_qdaOptions.GetInt(QdaOption::MediaRewind));
        RefreshMediaPosition();
        if (!g_program.ProfilePath.isEmpty()
            && PrivateProfile(g_program.ProfilePath).GetInt(QStringLiteral("MediaPlayer"), QStringLiteral("On"), 0) != 0) {
            ShowVideoWindow(false);
        }
    }
    StartFootswitch(nullptr);
}

void CMainFrame::StartFootswitch(std::unique_ptr<IReportSource> source)
{
    m_footswitch.reset();
    m_footswitch = std::make_unique<FootswitchReader>(std::move(source));
    connect(m_footswitch.get(), &FootswitchReader::FootswitchEvent, this, &CMainFrame::OnFootswitch);
    if (!m_deviceMonitor) {
        m_deviceMonitor = std::make_unique<UdevMonitor>();
        connect(m_deviceMonitor.get(), &UdevMonitor::DeviceChanged, this, [this](bool arrived, const QString& path) {
            if (m_footswitch)
                m_footswitch->OnDeviceChange(arrived, path);
        });
    }
    m_footswitch->Start();
}

void CMainFrame::SetFootswitchSource(std::unique_ptr<IReportSource> source)
{
    StartFootswitch(std::move(source));
}

CMPVideoDlg* CMainFrame::VideoWindow() const
{
    return m_videoDialog.data();
}

bool CMainFrame::MediaReady() const
{
    return m_mediaPlayer && m_mediaPlayer->IsActive() && m_mediaPlayer->HasFileName();
}

void CMainFrame::RefreshMediaPosition()
{
    if (!m_mediaPlayer || !m_mediaBar)
        return;
    QString text;
    const qint32 seconds = m_mediaPlayer->FormatPosition(text);
    m_mediaBar->SetTimeText(text);
    m_mediaBar->SetSliderPosition(seconds);
}

void CMainFrame::ApplyMediaDuration()
{
    if (!m_mediaPlayer || !m_mediaBar)
        return;
    const qint32 duration = m_mediaPlayer->GetDuration(true);
    m_mediaBar->SetSlider(duration, duration / 30, duration / 300);
    RefreshMediaPosition();
}

void CMainFrame::BroadcastCurrentMark()
{
    if (!m_mediaPlayer || !m_mediaPlayer->IsFollowingMarks() || !GetDocument())
        return;
    const qint32 index = m_mediaPlayer->GetCurrentMark();
    m_broadcastMark = index;
    if (index >= 0 && index < m_mediaPlayer->Marks().size() && m_mediaPlayer->Marks().at(index).id != 0)
        m_document->GetRegistry().SelectObject(TopicId::MediaMarks, m_mediaPlayer->Marks().at(index).id, 1);
}

void CMainFrame::OnMediaPositionTimer()
{
    if (!m_mediaPlayer || !m_mediaPlayer->UpdatePosition())
        return;
    RefreshMediaPosition();
    if (m_mediaPlayer->IsRunning() && m_mediaPlayer->GetCurrentMark() != m_broadcastMark)
        BroadcastCurrentMark();
}

void CMainFrame::FillTimeMarks()
{
    m_timeMarks.clear();
    if (!m_mediaPlayer)
        return;
    for (const MediaMark& mark : m_mediaPlayer->Marks()) {
        TimeMarkItem item;
        item.id = mark.id;
        item.position = mark.textPosition;
        item.beginMs = mark.beginMs;
        item.endMs = mark.endMs;
        m_timeMarks.append(item);
    }
}

void CMainFrame::LoadPlayerMarks(const CKorDoc& document, qint32 transcript)
{
    QList<MediaTimestamp> stamps;
    document.LoadDocumentTimestamps(transcript, stamps);
    QList<MediaMark>& marks = m_mediaPlayer->Marks();
    marks.clear();
    for (const MediaTimestamp& stamp : std::as_const(stamps))
        marks.append(MediaMark{stamp.id, stamp.startChar, 0, 0, stamp.begin, stamp.end, 0});
    m_mediaPlayer->UpdateCurrentMark();
}

bool CMainFrame::LoadMedia(const QString& fileName)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return false;
    if (!m_mediaPlayer || (!m_mediaPlayer->HasFileName() && fileName.isEmpty()))
        return true;
    const WaitCursor wait;
    if (m_mediaPlayer->IsRunning())
        m_mediaPlayer->Stop();
    m_mediaPlayer->LoadFile(fileName);
    ApplyMediaDuration();

    const qint32 shown = document->GetShownDocument();
    if (MediaReady()) {
        LoadPlayerMarks(*document, shown);
        QList<qint32> ids;
        for (const MediaMark& mark : m_mediaPlayer->Marks())
            ids.append(mark.id);
        FillTimeMarks();
        if (m_browser) {
            m_browser->SetTimeMarks(&m_timeMarks);
            m_browser->SetShowTimeMarks(true);
        }
        m_listWindows->UpdateMediaMarks(shown, ids,
                                        document->GetDatabase().FormatRowDisplay(TopicId::Documents, shown, true));
        if (!m_videoDialog)
            m_videoDialog = new CMPVideoDlg(this, m_mediaPlayer.get());
        m_videoDialog->LayoutPlayer();
    } else {
        m_mediaPlayer->Marks().clear();
        m_mediaPlayer->UpdateCurrentMark();
        m_timeMarks.clear();
        if (m_browser) {
            m_browser->SetShowTimeMarks(false);
            m_browser->SetTimeMarks(nullptr);
        }
        m_listWindows->CloseMediaMarks();
        if (m_videoDialog)
            m_videoDialog->hide();
    }
    m_broadcastMark = -1;
    m_commands.UpdateToolbarActions();
    return true;
}

void CMainFrame::ShowMediaMarkList(bool open)
{
    CKorDoc* document = GetDocument();
    if (!open || !document) {
        m_listWindows->CloseMediaMarks();
        return;
    }
    const WaitCursor wait;
    const qint32 shown = document->GetShownDocument();
    QList<qint32> ids;
    for (const MediaMark& mark : m_mediaPlayer->Marks())
        ids.append(mark.id);
    m_listWindows->OpenMediaMarks(shown, ids, document->GetDatabase().FormatRowDisplay(TopicId::Documents, shown, true));
}

void CMainFrame::ShowVideoWindow(bool show)
{
    if (!m_videoDialog)
        m_videoDialog = new CMPVideoDlg(this, m_mediaPlayer.get());
    if (show) {
        m_videoDialog->show();
        m_videoDialog->LayoutPlayer();
    } else {
        m_videoDialog->hide();
        m_videoDialog->LayoutPlayer();
    }
}

void CMainFrame::OnMediaStamp()
{
    CKorDoc* document = GetDocument();
    if (!document || !MediaReady() || !m_browser || !m_browser->HasSelection())
        return;
    qint32 page = 0, start = 0, end = 0, x1 = 0, x2 = 0, isText = 0;
    if (!m_browser->GetSelection(page, start, end, x1, x2, isText, 0))
        return;
    const bool wasRunning = m_mediaPlayer->IsRunning();
    if (wasRunning)
        m_mediaPlayer->TogglePlay(false);
    QList<qint32> changed;
    if (m_mediaPlayer->SplitMarkAtPosition(start, changed)) {
        QList<MediaTimestamp> stamps;
        for (const MediaMark& mark : m_mediaPlayer->Marks())
            stamps.append(MediaTimestamp{mark.id, mark.textPosition, mark.beginMs, mark.endMs});
        QList<qsizetype> indexes(changed.begin(), changed.end());
        if (document->StoreMediaMarks(document->GetShownDocument(), stamps, indexes)) {
            for (qsizetype i = 0; i < stamps.size(); ++i)
                m_mediaPlayer->Marks()[i].id = stamps.at(i).id;
        } else {
            // The project keeps the marks it had; so does the player.
            LoadPlayerMarks(*document, document->GetShownDocument());
        }
        m_mediaPlayer->UpdateCurrentMark();
        FillTimeMarks();
        RefreshBrowser();
    }
    if (wasRunning)
        m_mediaPlayer->TogglePlay(false);
}

void CMainFrame::OnFootswitch(int event)
{
    if (!MediaReady())
        return;
    switch (event) {
    case FootswitchReader::PedalReleased:
    case FootswitchReader::DeviceRemoved:
        if (m_mediaPlayer->IsRunning())
            m_mediaPlayer->TogglePlay(false);
        break;
    case FootswitchReader::PedalPressed:
        if (!m_mediaPlayer->IsRunning())
            m_mediaPlayer->TogglePlay(true);
        break;
    case kFootswitchStamp:
        if (g_qdaOptions.GetBool(QdaOption::FootSwitchStamps))
            OnMediaStamp();
        break;
    default: break;
    }
    RefreshMediaPosition();
}

bool CMainFrame::OnMediaCommand(int id)
{
    if (!IsMediaCommand(id))
        return false;
    if (!m_mediaPlayer || (id != MediaCommand::Load && !MediaReady()))
        return true;
    switch (id) {
    case MediaCommand::Load: {
        CKorDoc* document = GetDocument();
        const qint32 shown = document ? document->GetShownDocument() : 0;
        const QString media = shown ? MediaFileOf(document->GetDatabase(), shown) : QString();
        // Unloaded first, so the same file loads again from its start.
        LoadMedia(QString());
        LoadMedia(media);
        break;
    }
    case MediaCommand::MarkList: ShowMediaMarkList(true); break;
    case MediaCommand::FollowMarks:
        m_mediaPlayer->SetFollowMarks(!m_mediaPlayer->IsFollowingMarks());
        BroadcastCurrentMark();
        break;
    case MediaCommand::Stamp: OnMediaStamp(); break;
    case MediaCommand::PreviousMark:
        m_mediaPlayer->PreviousMark();
        BroadcastCurrentMark();
        break;
    case MediaCommand::NextMark:
        m_mediaPlayer->NextMark();
        BroadcastCurrentMark();
        break;
    case MediaCommand::Stop:
        m_mediaPlayer->Stop();
        BroadcastCurrentMark();
        break;
    case MediaCommand::TogglePlay: m_mediaPlayer->TogglePlay(true); break;
    case MediaCommand::TimeLabel: break;
    case MediaCommand::Slider:
        if (m_mediaBar)
            m_mediaPlayer->SeekToSeconds(m_mediaBar->Slider()->value());
        BroadcastCurrentMark();
        break;
    case MediaCommand::Video: ShowVideoWindow(!(m_videoDialog && m_videoDialog->isVisible())); break;
    default: break;
    }
    RefreshMediaPosition();
    return true;
}

bool CMainFrame::OnUpdateMediaCommand(CCmdUI& ui)
{
    if (!IsMediaCommand(ui.id))
        return false;
    const bool ready = MediaReady();
    switch (ui.id) {
    case MediaCommand::Load: ui.Enable(m_mediaPlayer && m_mediaPlayer->IsActive() && GetDocument()); break;
    case MediaCommand::PreviousMark: ui.Enable(m_mediaPlayer && m_mediaPlayer->CanGoPreviousMark()); break;
    case MediaCommand::NextMark: ui.Enable(m_mediaPlayer && m_mediaPlayer->CanGoNextMark()); break;
    case MediaCommand::TogglePlay:
        ui.Enable(ready);
        ui.SetCheck(ready && m_mediaPlayer->IsRunning());
        break;
    case MediaCommand::MarkList:
        ui.Enable(ready);
        ui.SetCheck(ready && m_listWindows->Window(CListWindows::MediaMarks));
        break;
    case MediaCommand::FollowMarks:
        ui.Enable(ready);
        ui.SetCheck(ready && m_mediaPlayer->IsFollowingMarks());
        break;
    case MediaCommand::Video:
        ui.Enable(ready);
        ui.SetCheck(ready && m_videoDialog && m_videoDialog->isVisible());
        break;
    case MediaCommand::Stamp: ui.Enable(ready && m_browser && m_browser->HasSelection()); break;
    default: ui.Enable(ready); break;
    }
    return true;
}
