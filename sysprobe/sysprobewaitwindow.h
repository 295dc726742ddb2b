#pragma once

#include <QRasterWindow>
#include <QString>

/// @short The checker's wait window: one line of text in a frameless,
/// application-modal window centred on the primary screen, with no caption.
///
/// Built on QtGui alone so that callers with a plain QGuiApplication get it
/// too. It is only hidden and destroyed, never closed: closing the last
/// window would end a caller's event loop. The text is also readable as the
/// property "text".
class SysprobeWaitWindow : public QRasterWindow {
public:
    explicit SysprobeWaitWindow(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};
