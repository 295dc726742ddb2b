#pragma once

// The delayed pop-up tip that lists, trees, side columns and chart windows
// show over an item.

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

class QTextDocument;

/// @short A tip with a plain heading line followed by RTF content, drawn on
/// the tooltip colour, shown after a delay near the cursor while it rests
/// over the owner's item.
///
/// Owners keep one as a member, enable it, give it a size, call Show when
/// the mouse rests over an item and Hide when it leaves. Any key, click,
/// wheel turn or mouse move out of the item hides it. Only one tip in the
/// process is shown at a time. UI thread only.
class CRTFTipCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr QPoint kCursorOffset{5, 21};

    CRTFTipCtrl();
    ~CRTFTipCtrl() override;

    /// Makes the tip a child tool window of `owner`'s window (not owned).
    bool Create(QWidget* owner);
    /// Show does nothing until an owner enables tips.
    void SetTipsEnabled(bool on) { m_enabled = on; }
    bool TipsEnabled() const { return m_enabled; }
    void SetTipSize(const QSize& size) { m_size = size; }
    /// Headings in the larger font (the program's large-fonts option).
    void SetLargeFont(bool on) { m_largeFont = on; }

    /// Starts the delay for an item (screen coordinates); nothing while tips
    /// are disabled or this tip is already shown.
    void Show(const QRect& item, const QString& heading, const QByteArray& rtf);
    void Hide();

    QRect ItemRect() const { return m_item; }
    /// The tip shown now, or null.
    static CRTFTipCtrl* ActiveTip();
    /// The delay between Show and the pop-up, for every tip (500 ms).
    static void SetDelay(int ms);
    /// The tip's rectangle for a cursor position, moved left and up by what
    /// would pass the screen's right and bottom edges.
    static QRect PlaceOnScreen(const QPoint& cursor, const QSize& size, const QRect& screen);
    /// Lays out the heading and content as the tip draws them.
    void BuildDocument(QTextDocument& document) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void popUp();

    QWidget* m_owner = nullptr;
    bool m_enabled = false;
    bool m_largeFont = false;
    QSize m_size{200, 40};
    QRect m_item;
    QString m_heading;
    QByteArray m_rtf;
    QTimer m_delay;
};
