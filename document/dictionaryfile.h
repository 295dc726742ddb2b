#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

/// @short The content of a dictionary file (".kvd") as read, before any of
/// it enters the project: category lines with their numbers as the file
/// gives them and the entry lines below each.
///
/// Reading never touches the project, so a file can be read whole and the
/// dictionary replaced only once that succeeded.
struct DictionaryFileEntry {
    qint32 fileCategory = 0;    ///< the file's number of the category it belongs to
    QString word;               ///< trimmed, never empty
    qint32 column = 0;
    qint32 flag1 = 0;
    qint32 flag2 = 0;
    qint32 flag3 = 0;
};

struct DictionaryFileCategory {
    QString name;               ///< trimmed, never empty
    qint32 type = 0;
    qint32 fileId = 0;          ///< the file's number of the category
    qint32 fileParent = 0;      ///< the file's number of its parent; 0 = top level
    qint32 state = 0;
};

struct DictionaryFileContent {
    QList<DictionaryFileCategory> categories;   ///< in file order
    QList<DictionaryFileEntry> entries;         ///< in file order
};

/// Splits the decoded text of a dictionary file into categories and
/// entries. Lines end in CR LF, LF or CR; the last line needs no end. A
/// category line of four fields or more names its number and parent, one
/// of three fields follows the previous number, one of one or two fields
/// keeps the current number (its entries join that category). Entry lines
/// before the first category line are dropped. Numbers that do not parse
/// read as 0.
DictionaryFileContent ParseDictionaryText(const QString& text);

/// The text of a dictionary file's bytes: UTF-16 LE after FF FE, else UTF-8
/// when valid, else Windows-1252.
QString DecodeDictionaryBytes(QByteArrayView bytes);
