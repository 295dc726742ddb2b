#include "browser/mpvideodlg.h"

#include "browser/mediaids.h"
#include "browser/mediaplayer.h"
#include "foundation/programpaths.h"
#include "platform/profile/privateprofile.h"
#include "ui/treeimages.h"
#include "ui/windowplacement.h"

#include <QIcon>
#include <QVideoWidget>

namespace {

const QString kSection = QStringLiteral("dlgVideo");
const QString kKey = QStringLiteral("WindowPos");

}  // namespace

CMPVideoDlg::CMPVideoDlg(QWidget* parent, CMediaPlayer* player)
    : CResizableDlgBase(MediaIds::VideoTemplate, parent), m_player(player), m_video(new QVideoWidget(this))
{
    setWindowFlag(Qt::Tool);
    setModal(false);
    setWindowTitle(TextKey(MediaText::VideoTitle) + QStringLiteral("Video"));
    resize(320, 240);
    m_video->setGeometry(VideoRect(size()));
}

CMPVideoDlg::~CMPVideoDlg()
{
    if (m_player)
        m_player->SetVideoWindow(nullptr);
    SaveVideoPlacement();
}

QRect CMPVideoDlg::VideoRect(const QSize& client)
{
    const int margin = MediaIds::VideoMargin;
    return QRect(margin, margin, std::max(client.width() - 2 * margin, 0), std::max(client.height() - 2 * margin, 0));
}

bool CMPVideoDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    // The trees' pictures are the frame's shared image list.
    setWindowIcon(QIcon(TreeImages::NodeImages().value(MediaIds::VideoIcon)));
    RestoreVideoPlacement();
    return true;
}

void CMPVideoDlg::LayoutPlayer()
{
    if (!m_player)
        return;
    m_player->SetVideoWindow(m_video);
    m_video->setGeometry(VideoRect(size()));
    update();
}

void CMPVideoDlg::resizeEvent(QResizeEvent* event)
{
    CResizableDlgBase::resizeEvent(event);
    m_video->setGeometry(VideoRect(size()));
}

void CMPVideoDlg::done(int result)
{
    SaveVideoPlacement();
    CResizableDlgBase::done(result);
}

void CMPVideoDlg::SaveVideoPlacement() const
{
    if (g_program.ProfilePath.isEmpty())
        return;
    WindowPlacement placement;
    placement.showCommand = isVisible() ? WindowPlacement::Normal : WindowPlacement::Hidden;
    placement.normal = geometry();
    PrivateProfile(g_program.ProfilePath).WriteString(kSection, kKey, placement.ToText());
}

bool CMPVideoDlg::RestoreVideoPlacement()
{
    WindowPlacement placement;
    if (g_program.ProfilePath.isEmpty()
        || !WindowPlacement::Read(PrivateProfile(g_program.ProfilePath).GetString(kSection, kKey), placement))
        return false;
    // The place and size come back; the window stays hidden until the frame shows it.
    setGeometry(placement.normal);
    return true;
}
