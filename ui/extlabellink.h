#pragma once

#include <QColor>
#include <QLabel>

/// @short A label that opens its link when clicked: blue and underlined,
/// purple once a click opened it, with the pointing-hand cursor.
class CExtLabelLink : public QLabel {
    Q_OBJECT
public:
    static inline const QColor kLinkColour{0, 0, 255};
    static inline const QColor kVisitedColour{128, 0, 128};

    /// `link` empty: the text of the control id, else the label's own text.
    explicit CExtLabelLink(const QString& link = QString(), QWidget* parent = nullptr);

    void SetControlId(int id) { m_controlId = id; }
    QColor TextColour() const { return m_colour; }
    /// What a click opens.
    QString Link() const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyColour();

    QString m_link;
    int m_controlId = 0;
    QColor m_colour = kLinkColour;
};
