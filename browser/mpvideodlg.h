#pragma once

#include "ui/dlgbase.h"

#include <QPointer>
#include <QRect>

class CMediaPlayer;
class QVideoWidget;

/// @short The video window: a modeless, resizable tool window that shows
/// the media player's picture at (7, 7) with the client size less 14
/// pixels each way.
///
/// OK, Cancel and the close box only hide it (the player keeps running).
/// Its placement is kept under "dlgVideo" / "WindowPos" as ten numbers
/// (flags, show command, minimised x and y, maximised x and y, normal
/// left, top, right, bottom); a saved placement is applied hidden, and a
/// text without ten numbers leaves the window where it was built.
class CMPVideoDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    /// `player` is not owned and may be null.
    explicit CMPVideoDlg(QWidget* parent, CMediaPlayer* player);
    ~CMPVideoDlg() override;

    /// Gives the player this window's picture and places it.
    void LayoutPlayer();
    QVideoWidget* VideoWidget() const { return m_video; }
    /// The picture's rectangle in a client area of the size.
    static QRect VideoRect(const QSize& client);

    void done(int result) override;
    /// Writes and reads the ten-number placement.
    void SaveVideoPlacement() const;
    bool RestoreVideoPlacement();

protected:
    bool OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointer<CMediaPlayer> m_player;
    QVideoWidget* m_video;
};
