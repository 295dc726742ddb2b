// Opening a file we only read from: a private copy, checked whole.

#include "exchange/readonlysource.h"

#include "document/kordoc.h"
#include "exchange/mergesteps.h"
#include "foundation/stringstore.h"
#include "platform/jet/databasefilekind.h"

#include <QFileInfo>

ReadOnlySource::~ReadOnlySource()
{
    m_db.Clear();
    m_engine.Close();
}

std::unique_ptr<ReadOnlySource> OpenReadOnlySource(CKorDoc& doc, const QString& path, const QString& dataType,
                                                   const QList<qint32>& topics, const SourceRefusalTexts& texts,
                                                   QString& error, bool showProgress)
{
    auto source = std::make_unique<ReadOnlySource>();
    source->m_path = path;
    const QString name = QFileInfo(path).fileName();
    if (!source->m_dir.isValid()) {
        error = LoadString(texts.writeFailed).arg(name, source->m_dir.errorString());
        return nullptr;
    }
    // An old file is converted or upgraded in the private folder.
    QString file = path;
    if (DetectDatabaseFile(path) == DatabaseFileKind::Jet) {
        file = source->m_dir.filePath(QStringLiteral("converted.kv4"));
        if (!doc.ConvertLegacyFileTo(path, file))
            return nullptr;  // the reason was shown
    }
    if (!source->m_engine.OpenCopy(file, source->m_dir.filePath(QStringLiteral("source.kv4")))) {
        error = source->m_engine.LastError().replace(QFileInfo(file).fileName(), name);
        return nullptr;
    }
    if (source->m_engine.GetDataType() != dataType) {
        error = LoadString(texts.wrongType).arg(name);
        return nullptr;
    }
    for (const qint32 topic : topics)
        source->m_db.CreateTable(topic);
    QString reason;
    if (!doc.LoadProjectTables(source->m_engine, source->m_db, showProgress, &reason) ||
        !mergesteps::CheckBlobs(source->m_db, reason)) {
        error = LoadString(texts.damaged).arg(name, reason);
        return nullptr;
    }
    return source;
}
