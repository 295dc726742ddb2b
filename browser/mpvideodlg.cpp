#include "browser/mpvideodlg.h"

#include "browser/mediaids.h"
#include "browser/mediaplayer.h"
#include "foundation/programpaths.h"
#include "platform/profile/privateprofile.h"

#include <QVideoWidget>

namespace {

const QString kSection = QStringLiteral("dlgVideo");
const QString kKey = QStringLiteral("WindowPos");
constexpr int kPlacementNumbers = 10;
constexpr int kShowNormal = 1;
constexpr int kHide = 0;

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
    const QRect normal = geometry();
    const QString text = QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10")
                             .arg(0)
                             .arg(isVisible() ? kShowNormal : kHide)
                             .arg(-1)
                             .arg(-1)
                             .arg(-1)
                             .arg(-1)
                             .arg(normal.left())
                             .arg(normal.top())
                             .arg(normal.left() + normal.width())
                             .arg(normal.top() + normal.height());
    PrivateProfile(g_program.ProfilePath).WriteString(kSection, kKey, text);
}

bool CMPVideoDlg::RestoreVideoPlacement()
{
    if (g_program.ProfilePath.isEmpty())
        return false;
    const QStringList parts = PrivateProfile(g_program.ProfilePath).GetString(kSection, kKey).split(u',');
    if (parts.size() != kPlacementNumbers)
        return false;
    int values[kPlacementNumbers];
    for (int i = 0; i < kPlacementNumbers; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    const QRect normal(QPoint(values[6], values[7]), QSize(values[8] - values[6], values[9] - values[7]));
    if (normal.width() <= 0 || normal.height() <= 0)
        return false;
    // The place and size come back; the window stays hidden until the frame shows it.
    setGeometry(normal);
    return true;
}
