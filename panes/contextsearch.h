#pragma once

// The context search between a view's search bar and the pane the view
// hosts: the request record, the interface a pane offers to take part, and
// the hit list most panes keep. Headless: the bar and the views are widgets
// above this.

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

class CRichEditCtrlEx;

/// Codes of a context-search request.
namespace ContextSearchCode {
enum : qint32 {
    Search = 1,       ///< find every hit of the text
    Next = 2,         ///< the next hit, staying on the last
    Previous = 3,     ///< the previous hit, staying on the first
    Reset = 4,        ///< forget the hits (bar closed, or the pane's content reset)
    SearchAgain = 5,  ///< the pane's content was rebuilt: the bar searches again
};
}

/// One request, answered in place: count and current (from 1) of the hits.
struct ContextSearchRequest {
    qint32 code = 0;
    QString text;        ///< code Search: trimmed and lower-cased by the bar
    qint32 count = 0;    ///< out
    qint32 current = 0;  ///< out
};

/// @short What a pane implements to be searched from its view's bar.
///
/// The view asks OffersContextSearch before it opens a bar; a pane that
/// does not implement this interface gets none. The pane tells its view of
/// a reset (code Reset) or a rebuild (code SearchAgain) of its content
/// through the notice the view installs.
class IContextSearchPane {
public:
    using Notice = std::function<void(qint32 code)>;

    virtual ~IContextSearchPane() = default;

    virtual bool OffersContextSearch() const { return true; }
    /// Answers the request; false when the pane did not answer it.
    virtual bool OnContextSearch(ContextSearchRequest& request) = 0;

    /// Installed by the hosting view; an empty notice removes it.
    void SetContextSearchNotice(Notice notice) { m_notice = std::move(notice); }

protected:
    /// Tells the view that the content was reset or rebuilt.
    void NotifyContextSearch(qint32 code) const
    {
        if (m_notice)
            m_notice(code);
    }

private:
    Notice m_notice;
};

/// @short Where a search bar sends its requests: the view that hosts the
/// bar and the pane.
class IContextSearchHost {
public:
    virtual ~IContextSearchHost() = default;
    /// Answers the request in place; false when nobody answered it.
    virtual bool ContextSearch(ContextSearchRequest& request) = 0;
};

/// @short The hits of a search text in a pane: their positions (in the
/// pane's own counting), the current one and the text's length.
class ContextSearchHits {
public:
    void Reset();
    /// Takes the hits of a new search; the first becomes current.
    void SetHits(QList<qint32> positions, qint32 length);
    /// Moves by one hit, never past the first or last.
    void Next();
    void Previous();

    bool IsEmpty() const { return m_positions.isEmpty(); }
    qint32 Count() const { return qint32(m_positions.size()); }
    /// -1 without hits.
    qint32 CurrentIndex() const { return m_positions.isEmpty() ? -1 : m_current; }
    qint32 CurrentPosition() const { return m_positions.isEmpty() ? -1 : m_positions.at(m_current); }
    qint32 Length() const { return m_length; }
    const QList<qint32>& Positions() const { return m_positions; }

    /// Fills count and current (from 1; 0 without hits).
    void Answer(ContextSearchRequest& request) const;

private:
    QList<qint32> m_positions;
    qint32 m_current = 0;
    qint32 m_length = 0;
};

/// Every occurrence of the text in the control's rich-edit text, without
/// regard to case and also inside words, each search resuming after the
/// previous hit; rich-edit positions. Nothing for an empty text.
QList<qint32> FindContextHits(const CRichEditCtrlEx& text, const QString& searched);
