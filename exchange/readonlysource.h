#pragma once

#include "document/projectmergeservice.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class CKorDoc;

/// @short A file we only read from, opened from a private copy (a legacy
/// file converted there) with its topics in a store of its own. The copy
/// goes with this object; the user's file is never written.
class ReadOnlySource : public MergeSource {
public:
    ~ReadOnlySource() override;
    ProjectDataEngine& GetEngine() override { return m_engine; }

    QTemporaryDir m_dir;  // first: removed after the engine has closed the copy
    ProjectDataEngine m_engine;
    TopicDatabase m_db;
    QString m_path;  // the file the user chose
};

/// Texts of the reasons a source is refused, each with "%1" the file name
/// ("%2" the reason where it has one).
struct SourceRefusalTexts {
    int wrongType;  ///< the file's data type is not the one asked for
    int damaged;    ///< a topic or blob cannot be read; "%2" where
    int writeFailed;  ///< the private folder cannot be made; "%2" why
};

/// Opens path read-only as a source of the data type, loads the topics and
/// reads every blob the steps copy, all before anything is written; null
/// with the reason for the user in error (empty when it was shown).
std::unique_ptr<ReadOnlySource> OpenReadOnlySource(CKorDoc& doc, const QString& path, const QString& dataType,
                                                   const QList<qint32>& topics, const SourceRefusalTexts& texts,
                                                   QString& error, bool showProgress = false);
