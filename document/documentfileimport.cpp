#include "document/documentfileimport.h"

#include "document/documentids.h"
#include "foundation/externalfiles.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/orderedwork.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/uimessages.h"
#include "foundation/waitwindow.h"
#include "platform/codepage/codepage.h"
#include "platform/media/mediaduration.h"
#include "platform/office/officeconverter.h"
#include "platform/pdf/pdfmemorydocument.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/rtfreader.h"
#include "store/storeids.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>
#include <QTemporaryDir>

#include <limits>

namespace {

/// Accepted extensions and the kind of document each makes.
struct Extension {
    const char* suffix;
    qint32 kind;
};
constexpr Extension kExtensions[] = {
    {".rtf", DocumentKind::RichText}, {".doc", DocumentKind::RichText}, {".docx", DocumentKind::RichText},
    {".txt", DocumentKind::RichText}, {".pdf", DocumentKind::Pdf},      {".jpg", DocumentKind::Picture},
    {".gif", DocumentKind::Picture},  {".png", DocumentKind::Picture},  {".tif", DocumentKind::Picture},
};

bool HasSuffix(const QString& path, const char* suffix)
{
    return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

bool IsWordFile(const QString& path)
{
    return HasSuffix(path, ".doc") || HasSuffix(path, ".docx");
}

/// Bytes at the start of a file that say it is a PDF; readers accept the
/// marker anywhere in the first kilobyte.
constexpr qsizetype kPdfMarkerWindow = 1024;

/// The "EXTERN:" content that names a file kept outside the project.
QByteArray ExternReference(const QString& path)
{
    const QString text = QLatin1String(kExternPrefix) + path;
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

qint32 ClampedSize(qint64 size)
{
    return qint32(qMin<qint64>(size, std::numeric_limits<qint32>::max()));
}

/// The position count of RTF as a hidden control loads it: the size every
/// coding position of the document is measured against.
qint32 MeasureLoadedRtf(CRichEditCtrlEx& edit, const QByteArray& rtf)
{
    edit.StreamInRtf(&rtf, false);
    return edit.GetTextLength();
}

}  // namespace

// ---- Entries ----------------------------------------------------------------

struct DocumentFileImport::Target {
    qint32 group = 0;
    qsizetype newGroup = -1;
};

struct DocumentFileImport::Entry {
    QString path;           // as the user gave it
    QString readPath;       // the file read: a Word file's converted copy
    qint32 kind = -1;
    Target target;
    qsizetype idIndex = -1;  // position in the caller's id list; -1 inside a folder
    QString failure;         // why the file is not imported; reported
    bool skipped = false;    // left out on the user's answer; not reported
    QByteArray content;
    qint32 size = 0;
    QString media;           // the media file a transcript names
    QList<TranscriptMark> marks;
    QList<CKorDoc::MediaMarkRecord> records;
};

bool DocumentFileImport::IsAcceptedPath(const QString& path)
{
    return KindOfPath(path) >= 0;
}

qint32 DocumentFileImport::KindOfPath(const QString& path)
{
    for (const Extension& extension : kExtensions)
        if (HasSuffix(path, extension.suffix))
            return extension.kind;
    return -1;
}

DocumentFileImport::DocumentFileImport(CKorDoc& doc) : m_doc(doc) {}

void DocumentFileImport::Run(qint32 group, QStringList* paths, QList<qint32>* ids, bool noSizeQuestion)
{
    QStringList chosen;
    if (!paths) {
        FilePrompt prompt;
        prompt.kind = FilePromptKind::OpenFiles;
        prompt.title = LoadString(ImportText::PromptTitle);
        QStringList patterns;
        for (const Extension& extension : kExtensions)
            patterns.append(QLatin1Char('*') + QLatin1String(extension.suffix));
        prompt.filter = QStringLiteral("%1 (%2)").arg(LoadString(ImportText::FilterLabel), patterns.join(u' '));
        prompt.defaultSuffix = QStringLiteral("rtf");
        chosen = PromptForFiles(prompt);
        if (chosen.isEmpty())
            return;
        paths = &chosen;
    }
    WaitCursor wait;
    m_batch = {};
    m_newExternalCopies.clear();

    QList<Entry> entries;
    CollectEntries({group, -1}, *paths, entries, true);
    if (ids)
        *ids = QList<qint32>(paths->size(), 0);

    // Converted Word files live only in this folder, never beside their
    // source (where a same-named .rtf would be overwritten); it goes with
    // the import on every path.
    QTemporaryDir convertFolder;
    ConvertWordFiles(entries, convertFolder.isValid() ? convertFolder.path() : QString());
    ReadRichTexts(entries);

    QList<qsizetype> idIndexes;
    for (Entry& entry : entries) {
        const bool ready = entry.failure.isEmpty() &&
                           (entry.kind == DocumentKind::RichText ? FinishRichText(entry)
                                                                 : FinishExternalFile(entry, noSizeQuestion));
        if (!entry.failure.isEmpty())
            Report(entry);
        if (!ready || !entry.failure.isEmpty() || entry.skipped)
            continue;
        ImportedDocument document;
        document.group = entry.target.group;
        document.newGroup = entry.target.newGroup;
        document.name = QFileInfo(entry.path).completeBaseName();
        document.kind = entry.kind;
        document.content = std::move(entry.content);
        document.size = entry.size;
        document.mediaFile = entry.media;
        document.marks = entry.records;
        m_batch.documents.append(std::move(document));
        idIndexes.append(entry.idIndex);
        PumpUiMessages();
    }
    if (m_batch.documents.isEmpty() && m_batch.newGroups.isEmpty())
        return;

    QList<qint32> made;
    if (!m_doc.AddImportedDocuments(m_batch, made)) {
        RemoveNewExternalCopies();
        ShowMessage(LoadString(ImportText::NotWritten), MessageKind::Error);
        return;
    }
    for (qsizetype i = 0; i < made.size() && ids; ++i)
        if (idIndexes[i] >= 0 && idIndexes[i] < ids->size())
            (*ids)[idIndexes[i]] = made[i];
}

void DocumentFileImport::CollectEntries(const Target& target, QStringList& paths, QList<Entry>& entries, bool listed)
{
    // A folder becomes a group named after it, holding its files; it leaves
    // the list without advancing the position.
    for (qsizetype i = 0; i < paths.size();) {
        const QFileInfo info(paths[i]);
        if (!info.isDir()) {
            ++i;
            continue;
        }
        const QDir folder(info.absoluteFilePath());
        QStringList files;
        for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase))
            files.append(file.absoluteFilePath());
        m_batch.newGroups.append(folder.dirName());
        paths.removeAt(i);
        CollectEntries({0, m_batch.newGroups.size() - 1}, files, entries, false);
    }
    paths.removeIf([](const QString& path) { return !IsAcceptedPath(path); });
    for (qsizetype i = 0; i < paths.size(); ++i) {
        Entry entry;
        entry.path = paths[i];
        entry.readPath = paths[i];
        entry.kind = KindOfPath(paths[i]);
        entry.target = target;
        entry.idIndex = listed ? i : -1;
        entries.append(std::move(entry));
    }
}

void DocumentFileImport::ConvertWordFiles(QList<Entry>& entries, const QString& folder)
{
    // One LibreOffice run converts many files, but names each output after
    // its source: files of the same name go to later runs, each with a
    // folder of its own.
    QList<QList<Entry*>> runs;
    QList<QSet<QString>> runNames;
    for (Entry& entry : entries) {
        if (!IsWordFile(entry.path))
            continue;
        const QString name = QFileInfo(entry.path).completeBaseName().toLower();
        qsizetype run = 0;
        while (run < runs.size() && runNames[run].contains(name))
            ++run;
        if (run == runs.size()) {
            runs.append(QList<Entry*>());
            runNames.append(QSet<QString>());
        }
        runs[run].append(&entry);
        runNames[run].insert(name);
    }
    for (qsizetype run = 0; run < runs.size(); ++run) {
        QStringList sources;
        for (const Entry* entry : std::as_const(runs[run]))
            sources.append(QFileInfo(entry->path).absoluteFilePath());
        const QString output = QDir(folder).filePath(QString::number(run));
        QStringList converted;
        QString error;
        OfficeConvertResult result = OfficeConvertResult::Failed;
        if (!folder.isEmpty() && QDir().mkpath(output))
            result = ConvertManyWithOffice(sources, QStringLiteral("rtf"), output, converted, error);
        for (qsizetype i = 0; i < runs[run].size(); ++i) {
            Entry& entry = *runs[run][i];
            if (result == OfficeConvertResult::NotInstalled)
                entry.failure = LoadString(ImportText::OfficeMissing);
            else if (converted.value(i).isEmpty())
                entry.failure = LoadString(ImportText::NotConverted);
            else
                entry.readPath = converted[i];
        }
    }
}

namespace {

/// A helper thread's own hidden control.
struct RichTextWorker {
    RichTextWorker() : edit(CreateHiddenRichEdit()) {}
    std::unique_ptr<CRichEditCtrlEx> edit;
};

}  // namespace

void DocumentFileImport::ReadRichTexts(QList<Entry>& entries)
{
    QList<Entry*> texts;
    for (Entry& entry : entries)
        if (entry.kind == DocumentKind::RichText && entry.failure.isEmpty())
            texts.append(&entry);
    const bool keepObjects = g_qdaOptions.GetBool(QdaOption::KeepEmbeddedObjects);
    const QString cannotRead = LoadString(ImportText::CannotRead);
    const QString notRtf = LoadString(ImportText::NotRichText);
    CKorDoc& doc = m_doc;

    struct Job {
        Entry* entry = nullptr;
    };
    // Each work reads its own file and touches only its entry and its
    // thread's control; the transcript scan reads nothing of the project.
    const auto work = [&](RichTextWorker& worker, Job& job) {
        Entry& entry = *job.entry;
        QFile file(entry.readPath);
        if (!file.open(QIODevice::ReadOnly)) {
            entry.failure = cannotRead;
            return;
        }
        QByteArray bytes = file.readAll();
        file.close();
        CRichEditCtrlEx& edit = *worker.edit;
        QByteArray rtf;
        if (HasSuffix(entry.path, ".txt")) {
            edit.SetText(codepage::DecodeTextFile(bytes));
            edit.StreamOutRtf(&rtf, false, false);
        } else {
            if (!rtf::IsRtf(bytes)) {
                entry.failure = notRtf;
                return;
            }
            TrimRtfHyperlinkInstructions(bytes);
            edit.StreamInRtf(&bytes, false);
            entry.media = doc.ReadTranscriptTimestamps(edit, entry.marks);
            edit.StreamOutRtf(&rtf, false, keepObjects);
        }
        entry.size = MeasureLoadedRtf(edit, rtf);
        entry.content = std::move(rtf);
    };
    const int threads = OrderedWorkThreads(texts.size());
    RunOrderedWork<Job, RichTextWorker>(
        texts.size(), threads, 4 * (threads + 1), [] { return std::make_unique<RichTextWorker>(); },
        [&](qsizetype i, Job& job) {
            job.entry = texts[i];
            return true;
        },
        work, [](qsizetype, Job&) { PumpUiMessages(); });
}

bool DocumentFileImport::FinishRichText(Entry& entry)
{
    if (entry.media.isEmpty())
        return true;
    return LocateMedia(entry);
}

bool DocumentFileImport::LocateMedia(Entry& entry)
{
    QString media = entry.media;
    const QDir transcriptFolder = QFileInfo(entry.path).absoluteDir();
    if (QFileInfo(media).isRelative())
        media = transcriptFolder.filePath(media);
    if (!QFileInfo(media).isFile()) {
        FilePrompt prompt;
        prompt.kind = FilePromptKind::OpenFile;
        prompt.title = LoadString(ImportText::MediaPromptTitle);
        prompt.filter = QStringLiteral("%1 (*)").arg(LoadString(ImportText::AllFilesLabel));
        prompt.path = QFileInfo(media).absolutePath();
        media = PromptForFiles(prompt).value(0);
        if (media.isEmpty()) {
            if (!AskYesNo(LoadString(ImportText::MediaNotFound))) {
                entry.skipped = true;
                return false;
            }
            entry.media.clear();
            entry.marks.clear();
            return true;
        }
    }

    PlaceInExternalsFolder(media);

    const qint64 duration = ProbeMediaDuration(media);
    if (duration < 1) {
        ShowMessage(QStringLiteral("%1 %2").arg(media, LoadString(ImportText::MediaEmpty)), MessageKind::Warning);
        entry.media.clear();
        entry.marks.clear();
        return true;
    }
    entry.media = media;
    if (RemoveRtfHyperlinkFields(entry.content, false)) {
        const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        entry.size = MeasureLoadedRtf(*edit, entry.content);
    }
    // The last segment runs to the end of the media.
    const QString end = FormatMediaTime(ClampedSize(duration));
    for (const TranscriptMark& mark : std::as_const(entry.marks))
        entry.records.append({0, 0, mark.startChar, mark.begin, mark.end.isEmpty() ? end : mark.end});
    return true;
}

bool DocumentFileImport::FinishExternalFile(Entry& entry, bool noSizeQuestion)
{
    const QFileInfo info(entry.path);
    QFile file(entry.path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        entry.failure = LoadString(ImportText::CannotRead);
        return false;
    }
    // 64 bits: a limit of 2048 MB and more must not wrap around.
    const qint64 limit = qint64(g_qdaOptions.GetInt(QdaOption::LargeFileQuestionMB)) * 1048576;
    bool embed = true;
    if (!noSizeQuestion && info.size() >= limit) {
        const MessageAnswer answer =
            AskUser(QStringLiteral("%1\n\n%2").arg(entry.path, LoadString(ImportText::LargeFileQuestion)),
                    MessageButtons::YesNoCancel, MessageKind::Question, MessageAnswer::No);
        if (answer == MessageAnswer::Cancel) {
            entry.skipped = true;
            return false;
        }
        embed = answer == MessageAnswer::Yes;
    }

    const bool pdf = entry.kind == DocumentKind::Pdf;
    if (embed) {
        const QByteArray bytes = file.readAll();
        bool valid = false;
        if (pdf) {
            valid = PdfMemoryDocument(bytes).IsOpen();
        } else {
            QBuffer buffer;
            buffer.setData(bytes);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer);
            valid = !reader.read().isNull();
        }
        if (!valid) {
            entry.failure = LoadString(pdf ? ImportText::NotPdf : ImportText::NotPicture);
            return false;
        }
        entry.content = bytes;
        entry.size = ClampedSize(bytes.size());
        return true;
    }

    // Kept outside: only the head of the file is checked, the rest is not
    // read.
    const bool valid = pdf ? file.read(kPdfMarkerWindow).contains("%PDF-") : QImageReader(&file).canRead();
    if (!valid) {
        entry.failure = LoadString(pdf ? ImportText::NotPdf : ImportText::NotPicture);
        return false;
    }
    file.close();
    const QString path = info.absoluteFilePath();
    entry.content = ExternReference(path);
    PlaceInExternalsFolder(path);
    return true;
}

void DocumentFileImport::PlaceInExternalsFolder(const QString& path)
{
    // A file that lies in the externals folder already stays as it is.
    const QString folder = GetExternalsFolder();
    const QFileInfo source(path);
    if (QDir(source.absolutePath()).canonicalPath() == QDir(folder).canonicalPath())
        return;
    const QString copy = QDir(folder).filePath(source.fileName());
    const bool existed = QFileInfo::exists(copy);
    QString destination = folder;
    if (CopyToExternalsFolder(path, destination) && !existed && QFileInfo::exists(copy))
        m_newExternalCopies.append(copy);
}

void DocumentFileImport::Report(const Entry& entry) const
{
    ShowMessage(QStringLiteral("%1 %2\n%3").arg(LoadString(ImportText::CannotImport), entry.path, entry.failure),
                MessageKind::Warning);
}

void DocumentFileImport::RemoveNewExternalCopies()
{
    for (const QString& copy : std::as_const(m_newExternalCopies))
        QFile::remove(copy);
    m_newExternalCopies.clear();
}
