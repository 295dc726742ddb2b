#pragma once

#include "document/teamexchangeservice.h"

#include <QString>

#include <functional>
#include <memory>

class ProjectDataEngine;

/// @short The teamwork exchange: documents and codes written into an
/// exchange file (".kex", ".ktr"), and exchange files merged back into the
/// open project under the user's choices, with a protocol.
///
/// An export is one transaction on the exchange file: an existing file is
/// left as it was by a failure, a new one is written under a temporary name
/// and put in place only when whole. An import reads the file from a
/// private copy, checks all of it first and writes the project in one
/// transaction; the file itself is never written. UI thread only.
class TeamExchange : public ITeamExchangeService {
public:
    using EngineFactory = std::function<std::unique_ptr<ProjectDataEngine>()>;

    /// The engine an export writes through (tests: one failing on cue).
    void SetEngineFactory(EngineFactory factory) { m_engines = std::move(factory); }
    /// Where "Protocol.txt" goes; the settings folder by default.
    void SetProtocolFolder(const QString& folder) { m_protocolFolder = folder; }
    QString ProtocolPath() const;

    bool ExportDocumentsToExchange(CKorDoc& doc, const QString& path, qint32 scope, qint32 id,
                                   const QString& sourceText, const QString& sourceGroup, QString& error) override;
    bool ExportCodesToExchange(CKorDoc& doc, const QString& path, const QList<qint32>& codes,
                               QString& error) override;
    bool ImportCodeSystemFromExchange(CKorDoc& doc, const QString& path, QString& error) override;
    bool ImportExchangeFile(CKorDoc& doc, const QString& path, qint32 scope, qint32 id, IExchangeImportHost& host,
                            ExchangeChoices& choices, QString& error) override;

private:
    EngineFactory m_engines;
    QString m_protocolFolder;
};
