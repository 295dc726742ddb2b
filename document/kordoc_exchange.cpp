// The teamwork exchange: thin calls into the exchange service, with the
// windows held until an import is committed.

#include "document/kordoc.h"

#include "document/kordoc_p.h"
#include "foundation/messageservice.h"

#include <QScopeGuard>

void CKorDoc::SetExchangeService(ITeamExchangeService* service)
{
    d->m_exchange = service;
}

ITeamExchangeService* CKorDoc::GetExchangeService() const
{
    return d->m_exchange;
}

namespace {

bool Report(bool done, const QString& error)
{
    if (!done && !error.isEmpty())
        ShowMessage(error, MessageKind::Error);
    return done;
}

}  // namespace

bool CKorDoc::ExportDocumentsToExchange(const QString& path, qint32 scope, qint32 id, const QString& sourceText,
                                        const QString& sourceGroup)
{
    if (!d->m_exchange || !d->m_engine || path.isEmpty())
        return false;
    QString error;
    return Report(d->m_exchange->ExportDocumentsToExchange(*this, path, scope, id, sourceText, sourceGroup, error),
                  error);
}

bool CKorDoc::ExportCodesToExchange(const QString& path, const QList<qint32>& codes)
{
    if (!d->m_exchange || !d->m_engine || path.isEmpty())
        return false;
    QString error;
    return Report(d->m_exchange->ExportCodesToExchange(*this, path, codes, error), error);
}

bool CKorDoc::ImportCodeSystemFromExchange(const QString& path)
{
    return ImportExchange([&](QString& error) { return d->m_exchange->ImportCodeSystemFromExchange(*this, path, error); },
                          path);
}

bool CKorDoc::ImportExchangeFile(const QString& path, qint32 scope, qint32 id, IExchangeImportHost& host,
                                 ExchangeChoices& choices)
{
    return ImportExchange(
        [&](QString& error) {
            return d->m_exchange->ImportExchangeFile(*this, path, scope, id, host, choices, error);
        },
        path);
}

bool CKorDoc::ImportExchange(const std::function<bool(QString&)>& import, const QString& path)
{
    if (!d->m_exchange || !d->m_engine || path.isEmpty())
        return false;
    return RunHeldImport(import);
}

bool CKorDoc::RunHeldImport(const std::function<bool(QString&)>& import)
{
    if (!d->m_engine)
        return false;
    QString error;
    bool imported = false;
    // New codes put their colours into the colour filters, which live in
    // memory only and must follow a rollback too.
    const ProgramLists lists = d->m_lists;
    {
        // Windows start afresh once the import is in the file and hear
        // nothing of one rolled back.
        d->m_registry.SetHeld(true);
        const auto release = qScopeGuard([this] { d->m_registry.SetHeld(false); });
        imported = import(error);
    }
    if (!imported) {
        d->m_lists = lists;
        UpdateCodeFrequencies(0);
        return Report(false, error);
    }
    d->m_registry.ResetAll();
    RebuildTree(true);
    return true;
}
