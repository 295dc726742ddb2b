#pragma once

#include <QList>
#include <QString>

/// @short What the project document asks of the main window.
///
/// The document never shows a window itself: the frame implements this
/// interface and hands itself to CKorDoc::SetFrame; tests fake it. Without
/// a frame the document runs headless and skips every call. Questions and
/// messages go through IMessageService, progress through the wait window
/// (foundation/waitwindow.h), pane broadcasts through the registry.
class IDocumentFrame {
public:
    virtual ~IDocumentFrame() = default;

    /// Sets the main window's title; false when there is no main window.
    virtual bool SetWindowTitle(const QString& title) = 0;
    /// The frame's closing sequence before a project is replaced or the
    /// program ends: the browser keeps its open tabs,
    /// CKorDoc::SaveProjectSettings runs, tool and list windows go, pending
    /// edits are committed, CKorDoc::ResetCaches runs, the media file is
    /// unloaded and the status bar refreshed.
    virtual void CloseProjectUI() = 0;
    /// When the browser edits a document, writes its text and pending
    /// codings back before a project-level change; nothing otherwise.
    virtual void CommitDocumentEdits() = 0;
    /// Stops playback and loads the media file; empty leaves the player
    /// without a file.
    virtual void LoadMediaFile(const QString& fileName) = 0;
    /// Collects the open document's links to map files for the browser's
    /// marks; nothing without an open document.
    virtual void RebuildGeoLinkList() = 0;
    /// Recomputes and repaints the stripes, paragraphs, memos, links and
    /// time marks of the document shown in the browser.
    virtual void RefreshBrowser() = 0;
};

/// @short The id lists that outlive a project: the three colour filters
/// and the quick-code toolbar. The frame's dialogs edit them; the document
/// refills them when a project opens and stores them when it closes.
struct ProgramLists {
    QList<quint32> codingsColorFilter;    ///< COLORREF values of the codings colour filter
    QList<quint32> codesColorFilter;      ///< COLORREF values of the codes colour filter
    QList<quint32> documentsColorFilter;  ///< COLORREF values of the documents colour filter
    QList<qint32> quickCodes;             ///< code ids on the quick-code toolbar

    void Clear()
    {
        codingsColorFilter.clear();
        codesColorFilter.clear();
        documentsColorFilter.clear();
        quickCodes.clear();
    }
};
