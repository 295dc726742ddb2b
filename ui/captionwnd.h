#pragma once

#include "foundation/colorhelpers.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

/// The dark blue of caption strips and its companions.
namespace caption {
inline const QColor kBackground(88, 113, 153);
inline const QColor kText(255, 255, 255);
inline const QColor kSchemeBorder(101, 147, 207);
inline const QColor kLightLine(221, 221, 221);
/// The bold font of captions: the widget's font, bold.
QFont BoldFont(const QWidget* widget);
}  // namespace caption

/// @short A caption strip: the title at the left and a right-hand text on
/// the same line, white on dark blue.
///
/// The right text is drawn only when title and right text together fit the
/// width; it is never cut with an ellipsis.
class CaptionWnd : public QWidget {
    Q_OBJECT
public:
    explicit CaptionWnd(QWidget* parent = nullptr);

    /// Replaces the given texts; a null string keeps the old one.
    void SetTexts(const QString& title, const QString& right);
    const QString& Title() const { return m_title; }
    const QString& RightText() const { return m_right; }
    /// True when the right text is drawn at the current width.
    bool RightTextShown() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_right;
    QString m_title;
};

/// @short The panel bar under a frame's tool bars: a caption strip 15 pixels
/// high over the parent's whole width.
class CaptionPanelBar : public CaptionWnd {
    Q_OBJECT
public:
    static constexpr int kHeight = 15;
    explicit CaptionPanelBar(QWidget* parent = nullptr);
};

/// @short A caption strip of two parts: the left text up to three fifths of
/// the width, a white separator, and the right text after it.
class CaptionLabelWnd : public QWidget {
    Q_OBJECT
public:
    explicit CaptionLabelWnd(QWidget* parent = nullptr);

    /// Replaces the given texts; a null string keeps the old one.
    void SetTexts(const QString& left, const QString& right);
    void SetSeparator(bool on);
    const QString& LeftText() const { return m_left; }
    const QString& RightText() const { return m_right; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_left;
    QString m_right;
    bool m_separator = true;
};

/// @short A rectangle painted in one colour.
class ColorSwatchWnd : public QWidget {
    Q_OBJECT
public:
    explicit ColorSwatchWnd(QWidget* parent = nullptr);

    void SetColor(COLORREF color);
    COLORREF Color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COLORREF m_color = 0;
};
