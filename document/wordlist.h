#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

class WordCounts;

/// @short The project's word list (the stop or go list of the word
/// counter), the minimum word length and the dictionary file the counter
/// uses.
///
/// The list holds lower-cased words, sorted by UTF-16 code units, each
/// once; lookups are binary searches. Lower-casing goes one unit at a time,
/// so counted positions never move. Owned by the project document; it
/// outlives the project, as the word list always did.
class WordList {
public:
    /// Inserts the lower-cased word at its sorted place (true), or finds it
    /// there (false); position takes its index either way.
    bool FindWordPosition(const QString& word, qsizetype* position = nullptr);
    /// True when the list is on and holds the word (lower-cased).
    bool FindWordInList(QStringView word) const;
    bool RemoveWord(const QString& word);
    /// The words of the text, lower-cased, sorted and each once; added to
    /// the list or replacing it.
    void SetWords(const QString& text, bool append);
    const QStringList& Words() const { return m_words; }

    /// Lookups find nothing while this is off.
    bool IsOn() const { return m_on; }
    void SetOn(bool on) { m_on = on; }
    int MinWordLength() const { return m_minWordLength; }
    void SetMinWordLength(int length) { m_minWordLength = length; }

    /// Counts the words of the text, which is lower-cased (unless the
    /// dictionary's case option is on) and has its separators turned into
    /// blanks in place. A word counts when it has 1 to 63 units, at least
    /// the minimum word length, and is not in the list (while it is on).
    /// count: words gets += 1; otherwise a new word enters with 0 and a
    /// known one keeps its value. second, when given, always gets += 1.
    /// The words counted.
    qint32 CountWords(QString& text, WordCounts& words, WordCounts* second, bool count) const;
    /// Words of 2 to 63 units, separators applied, case kept.
    static qint32 CountTextWords(const QString& text);

    const QString& DictionaryFile() const { return m_dictionaryFile; }
    void SetDictionaryFile(const QString& path) { m_dictionaryFile = path; }
    /// Without a name, or when the file can neither be read nor made, the
    /// name becomes "Default.kvd" in the settings folder. Creates nothing.
    void EnsureDictionaryFile();
    /// Set once a dictionary file was read into the project.
    bool IsDictionaryLoaded() const { return m_dictionaryLoaded; }
    void SetDictionaryLoaded() { m_dictionaryLoaded = true; }

private:
    QStringList m_words;  // lower-cased, sorted by code units, each once
    bool m_on = true;
    int m_minWordLength = 1;
    QString m_dictionaryFile;
    bool m_dictionaryLoaded = false;
};

/// Lower-cases the text when asked (one UTF-16 unit at a time, so positions
/// stay), turns every word separator into a blank and appends one blank.
void RemoveSeparators(QString& text, bool lower);
