#pragma once

#include <QList>
#include <QMap>
#include <QString>

class CKorDoc;
class TopicDatabase;

/// @short The choices of one exchange import: what is merged and which
/// document of the exchange file goes into which project document.
struct ExchangeChoices {
    bool variables = true;   ///< document variables and their values
    bool codings = true;     ///< codes and codings
    bool memos = true;       ///< document memos; code memos only with codings
    bool protocol = true;    ///< write and open "Protocol.txt"
    bool links = true;       ///< external links
    qint32 codingMode = 0;   ///< how an incoming coding meets an overlapping one (OverlapMode)
    /// Exchange document → project document; 0 or absent: not imported.
    QMap<qint32, qint32> assignment;
};

/// @short What the exchange import asks of the shell: the choices (the
/// frame answers with its dialog, tests with a fake), and the protocol
/// file opened once written.
class IExchangeImportHost {
public:
    virtual ~IExchangeImportHost() = default;
    /// Shows the choices preset from `choices` over both stores, offering
    /// the candidate project documents; false when cancelled (then
    /// `choices` is left as it was).
    virtual bool ChooseExchangeImport(const TopicDatabase& exchange, const TopicDatabase& project,
                                      const QString& sourceProject, const QList<qint32>& candidates,
                                      ExchangeChoices& choices) = 0;
    /// Opens the written protocol file with the desktop's handler.
    virtual void OpenProtocol(const QString& path) = 0;
};

/// @short What the project document asks of the teamwork exchange. Lives in
/// exchange/ and is registered through CKorDoc::SetExchangeService at
/// start-up. Every call returns false with the reason for the user in
/// `error` (empty when there is nothing to tell) and changes nothing then:
/// an export writes the exchange file in one transaction (a new file
/// appears only when whole), an import reads the file from a private copy
/// and writes the project in one transaction. UI thread only.
class ITeamExchangeService {
public:
    virtual ~ITeamExchangeService() = default;

    /// The project's documents of the scope (0 all, 1 those of group `id`,
    /// 2 the document `id`) with their codes, codings, memos, variables and
    /// external links into the exchange file at path, created when missing.
    /// `sourceText` and `sourceGroup` are stored when not empty.
    virtual bool ExportDocumentsToExchange(CKorDoc& doc, const QString& path, qint32 scope, qint32 id,
                                           const QString& sourceText, const QString& sourceGroup,
                                           QString& error) = 0;
    /// The codes with their memos into the exchange file, found or made by path.
    virtual bool ExportCodesToExchange(CKorDoc& doc, const QString& path, const QList<qint32>& codes,
                                       QString& error) = 0;
    /// Every code and code memo of the exchange file into the project.
    virtual bool ImportCodeSystemFromExchange(CKorDoc& doc, const QString& path, QString& error) = 0;
    /// The interactive import of the exchange file into the project's
    /// documents of the scope; `choices` in: the last choices, out: those
    /// made (only when the dialog was confirmed).
    virtual bool ImportExchangeFile(CKorDoc& doc, const QString& path, qint32 scope, qint32 id,
                                    IExchangeImportHost& host, ExchangeChoices& choices, QString& error) = 0;
};
