#pragma once

#include "foundation/commandtarget.h"

#include <QList>
#include <QString>
#include <QStringList>

class CKorDoc;
class CMainFrame;
class PrivateProfile;

/// Commands of the word frequencies, the tag cloud and the stop list.
namespace WordFreqCommand {
constexpr int WordCounter = 33065;  ///< ID_QNT_WORDCOUNTER_ALL
constexpr int GoList = 33090;       ///< the count of dictionary words
constexpr int StopList = 33072;     ///< ID_QNT_STOPLIST
constexpr int TagCloud = 33549;     ///< ID_QNT_TAGCLOUDS
}  // namespace WordFreqCommand

/// @short The frame's word-frequency commands and the values they keep in
/// the profile section "QNT": the word-count settings, the stop-list file
/// and the recently used stop-list files.
class CWordFreqCommands : public ICommandTarget {
public:
    static constexpr int kMaxRecent = 10;
    /// The word list's mode in which stop-word toggles go to the tag cloud's list.
    static constexpr int kTagCloudListMode = 2;

    CWordFreqCommands(CMainFrame* frame, CKorDoc* document);

    /// Reads the "QNT" values, gives the document its settings and loads
    /// the stop list from its file.
    void ApplyModuleSettings(const PrivateProfile& profile);
    /// Writes the "QNT" values; recent-file keys beyond the list are removed.
    bool SaveSettings(PrivateProfile& profile) const;

    const QString& StopListPath() const { return m_stopListPath; }
    void SetStopListPath(const QString& path) { m_stopListPath = path; }
    QStringList& RecentStopLists() { return m_recent; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

private:
    /// The word counter (33065) or, in go-list mode, the count of dictionary words.
    void CountWords(bool goList);
    /// The stop-list dialog; a changed list is saved to its file.
    void EditStopList();
    /// The documents of the document tree's selection and their label.
    QList<qint32> TagCloudScope(QString& label) const;
    /// The tag cloud of the selection in the text viewer; its save button
    /// opens the word list in the tag cloud's mode.
    void ShowTagCloud();
    /// Shows the word table in the word list window; mode 2 for the tag cloud's list.
    void ShowWordList(int listMode);

    CMainFrame* m_frame;
    CKorDoc* m_document;
    QString m_stopListPath;
    QStringList m_recent;  // newest first
    QList<qint32> m_shownFields;  // the word table's columns the list window was made for
};
