#pragma once

#include "foundation/commandtarget.h"

#include <QList>

#include <functional>
#include <QString>
#include <QStringList>

class CKorDoc;
class CMainFrame;
class PrivateProfile;
struct LexicalHit;

/// Commands of the word frequencies, the tag cloud and the stop list.
namespace WordFreqCommand {
constexpr int WordCounter = 33065;  ///< ID_QNT_WORDCOUNTER_ALL
constexpr int GoList = 33090;       ///< the count of dictionary words
constexpr int StopList = 33072;     ///< ID_QNT_STOPLIST
constexpr int TagCloud = 33549;     ///< ID_QNT_TAGCLOUDS
constexpr int FrequencyVariables = 1178;  ///< the code-frequency table into document variables
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

    /// The code-frequency table of a scope of the document tree (kinds 1 to
    /// 5: all documents, a group, all sets' members, a set, a document):
    /// codes and depth chosen in CodeSelectDlg, shown in the overview list.
    void ShowCodeFrequencies(qint32 kind, qint32 id);
    /// The columns of a depth-0 code-frequency table into document variables.
    void TransferFrequencyVariables();
    /// The word rows into the stop list (the tag cloud's, when the word list
    /// shows a tag cloud); each row is marked once.
    void AddWordsToStopList(const QList<qint32>& rows);
    /// The words of the word list window's selection found in the documents.
    void SearchDictionaryWords();
    /// The dictionary hits of a row of the code-frequency table (document,
    /// code, category; 0 for any) as search hits.
    void BuildWordTable(qint32 document, qint32 code, qint32 category);
    /// The category-search hits of one word row's dictionary entry as search hits.
    void BuildParagraphWordTable(qint32 row);

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

    /// Writes the hits that pass into the search-hit table and shows it.
    void ShowLexicalHits(const QList<LexicalHit>& hits, const std::function<bool(const LexicalHit&)>& take);

    CMainFrame* m_frame;
    CKorDoc* m_document;
    QString m_stopListPath;
    QStringList m_recent;  // newest first
    QList<qint32> m_shownFields;  // the word table's columns the list window was made for
};
