#pragma once

#include "app/appids.h"
#include "foundation/commandtarget.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <array>

class CKorDoc;
class CQntDicDlg;
class IListWindowOwner;
class ObjectListWindow;
class QWidget;

/// @short The frame's object-list windows: one per kind, opened by the list
/// commands and reused while it exists (new rows and title, restored and
/// raised); a window that goes clears its slot by itself.
///
/// The windows send their requests to the owner (the frame's router); while
/// none is set the list commands are disabled. UI thread only.
class CListWindows : public ICommandTarget {
public:
    enum Kind { Memos, SearchHits, Codings, Codes, Variables, Words, Overview, GeoLinks, MediaMarks,
                CoderComparison, CoderAgreement, KindCount };

    /// `frame` parents the windows; `document` is the kept project document.
    /// Neither is owned; either may be null (nothing then opens).
    CListWindows(QWidget* frame, CKorDoc* document);
    ~CListWindows() override;

    void SetOwner(IListWindowOwner* owner) { m_owner = owner; }
    ObjectListWindow* Window(Kind kind) const;
    /// Closes every list window (the project closes).
    void CloseAll();

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    /// The dictionary window while it is open.
    CQntDicDlg* DictionaryWindow() const;
    /// The frame followed a dictionary category (it is shown) or entry
    /// (the window's commands follow); nothing while the window is closed.
    void FollowDictionary(qint32 kind, qint32 id);

    /// Takes counted words (rows of the word list) into a dictionary
    /// category, in order, skipping words the category already holds; each
    /// new entry is announced under its category and selected. The number
    /// of entries made; 0 without a project, category or words.
    int AddWordsToCategory(qint32 category, const QList<qint32>& wordIds);

    /// The time-mark list of a transcript (topic 26 under the document):
    /// opened, or refreshed when open. Null without owner or project.
    ObjectListWindow* OpenMediaMarks(qint32 document, const QList<qint32>& keys, const QString& title);
    /// New rows and title for the open time-mark list; nothing when none is open.
    void UpdateMediaMarks(qint32 document, const QList<qint32>& keys, const QString& title);
    void CloseMediaMarks();

    /// A list of the kind on the keys, from an origin (kind and id of the
    /// item the list was asked on): an open one takes the rows and title and
    /// comes to the front. Codings of no code or gone are dropped first and
    /// their documents and groups counted; a document list is always made
    /// anew. Null without owner or project.
    ObjectListWindow* ShowObjectList(Kind kind, qint32 topic, qint32 originKind, qint32 originId, QList<qint32> keys,
                                     const QString& title);

private:
    /// Creates, registers and shows a window made for the kind.
    void ShowNew(Kind kind, ObjectListWindow* window);
    /// Opens the kind's window on the keys, or refreshes the one open.
    ObjectListWindow* Open(Kind kind, qint32 topic, const QList<qint32>& keys, const QString& title,
                           bool withVariables, qint32 originKind = 0, qint32 originId = 0);
    static void Raise(ObjectListWindow* window);
    /// A list window of the topic went: code frequencies are kept current
    /// only while a list of codes is open.
    void WindowGone(Kind kind);

    /// Opens the dictionary window, or brings the open one back.
    void OpenDictionary();
    /// The word list window's selected words into the dictionary window's
    /// selected category; the word list's selection is emptied.
    void AddSelectedWordsToCategory();

    QWidget* m_frame;
    CKorDoc* m_document;
    IListWindowOwner* m_owner = nullptr;
    std::array<QPointer<ObjectListWindow>, KindCount> m_windows;
    std::array<qint32, KindCount> m_topics{};   ///< the topic of each kind's window
    QPointer<CQntDicDlg> m_dictionary;
};
