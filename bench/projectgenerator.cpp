#include "bench/projectgenerator.h"

#include "document/kordoc.h"

#include "platform/rtf/rtfreader.h"
#include "platform/rtf/rtfwriter.h"
#include "store/fieldvalue.h"
#include "store/oledate.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/topicdatabase.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTextDocument>
#include <QtEndian>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

constexpr qint32 kGroup = 1;
constexpr int kImportantWeight = 100;
constexpr qsizetype kPreviewUnits = 63;
constexpr int kDocumentsPerTransaction = 50;

struct Coding {
    qint32 id, document, code, start, finish;
    QString owner;
    double date;
    bool important;
    QString memo;
};

bool Fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

bool ReadWhole(const QString& path, QByteArray& bytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
    bytes = file.readAll();
    return true;
}

/// "YYYY-MM-DD HH:MM:SS" as OLE days.
double OleDaysOf(const QString& text)
{
    const QDateTime when = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return OleDaysFromDateTime(when.date(), when.time());
}

/// Calls row for each record of a CSV text (header skipped): fields split at
/// commas, double quotes around fields that hold commas, quotes or breaks.
bool ForEachCsvRow(const QByteArray& data, const std::function<bool(const QList<QByteArray>&)>& row)
{
    QList<QByteArray> fields;
    QByteArray field;
    bool quoted = false;
    bool header = true;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        if (quoted) {
            if (c == '"' && i + 1 < data.size() && data.at(i + 1) == '"') {
                field.append('"');
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field.append(c);
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.append(field);
            field.clear();
        } else if (c == '\n') {
            if (field.endsWith('\r'))
                field.chop(1);
            fields.append(field);
            field.clear();
            if (!header && !row(fields))
                return false;
            header = false;
            fields.clear();
        } else {
            field.append(c);
        }
    }
    if (!fields.isEmpty() || !field.isEmpty()) {
        fields.append(field);
        if (!header && !row(fields))
            return false;
    }
    return true;
}

/// Each line of a JSON Lines text as an object; false at a broken line.
bool ForEachJsonLine(const QByteArray& data, const std::function<bool(const QJsonObject&)>& line)
{
    for (const QByteArray& text : data.split('\n')) {
        if (text.trimmed().isEmpty())
            continue;
        QJsonParseError parsed{};
        const QJsonDocument document = QJsonDocument::fromJson(text, &parsed);
        if (parsed.error != QJsonParseError::NoError || !document.isObject() || !line(document.object()))
            return false;
    }
    return true;
}

/// "#RRGGBB" as a COLORREF (0x00BBGGRR).
qint32 ColorRefOf(const QString& hex)
{
    const quint32 rgb = hex.mid(1).toUInt(nullptr, 16);
    return qint32(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

QByteArray PlainRtf(const QString& text)
{
    QTextDocument document;
    document.setPlainText(text);
    return rtf::WriteRtf(document);
}

/// Writes the fields of a new row, given by field id, and commits it.
class RowWriter {
public:
    explicit RowWriter(TopicDatabase& db) : m_db(db) {}

    bool Begin(qint32 topic, qint32 key) { return m_db.AddRow(topic, m_row, key); }
    void Int(qint32 field, qint32 value) { Value(field).SetInt(value); }
    void Real(qint32 field, double value) { Value(field).SetReal(value); }
    void Text(qint32 field, const QString& value) { Value(field).SetText(value); }
    void Date(qint32 field, double days) { Value(field).SetDate({days, DateStatus::Valid}); }
    void Blob(qint32 field, const QByteArray& bytes) { Value(field).SetBlob(bytes); }
    qint32 Key() const { return m_row.GetKey(); }
    bool Commit() { return m_row.Commit(true, true); }

private:
    FieldValue Value(qint32 field)
    {
        FieldValue value;
        m_row.GetFieldValue(field, value);
        return value;
    }

    TopicDatabase& m_db;
    RowBuffer m_row;
};

class Generator {
public:
    Generator(const QString& corpus, ProjectDataEngine& engine, TopicDatabase& db, QString* error)
        : m_corpus(corpus), m_engine(engine), m_db(db), m_error(error)
    {
    }

    bool Run(GeneratedCounts& counts)
    {
        return Group() && Variables(counts) && Codings(counts) && CodeTree(counts) && Documents(counts);
    }

private:
    QString Path(const char* name) const { return QDir(m_corpus).filePath(QLatin1String(name)); }
    bool Broken(const char* what)
    {
        return Fail(m_error, QStringLiteral("cannot write %1: %2").arg(QLatin1String(what), m_engine.LastError()));
    }

    bool Group()
    {
        RowWriter row(m_db);
        if (!row.Begin(TopicId::DocumentGroups, kGroup))
            return Broken("the group");
        row.Text(3, QStringLiteral("Interviews"));
        return row.Commit() || Broken("the group");
    }

    bool Variables(GeneratedCounts& counts)
    {
        QByteArray data;
        if (!ReadWhole(Path("attribute_types.jsonl"), data, m_error))
            return false;
        return ForEachJsonLine(data, [&](const QJsonObject& type) {
            FieldDescriptor field;
            field.Name = type.value(QLatin1String("name")).toString();
            const bool numeric = type.value(QLatin1String("valuetype")).toString() == QLatin1String("numeric");
            field.Type = numeric ? FieldType::Integer : FieldType::ShortText;
            field.State = FieldState::UserVariable;
            field.Categorial = numeric ? 0 : 1;
            if (!m_db.AddField(TopicId::Documents, field))
                return Broken("a variable");
            m_variables.insert(field.Name, field.ID);
            ++counts.variables;
            return true;
        }) || Fail(m_error, QStringLiteral("attribute_types.jsonl is not readable"));
    }

    /// Reads the codings, the attribute values and the per-document and
    /// per-code counts before anything that holds them is written.
    bool Codings(GeneratedCounts& counts)
    {
        QByteArray data;
        if (!ReadWhole(Path("codings.csv"), data, m_error))
            return false;
        const bool read = ForEachCsvRow(data, [&](const QList<QByteArray>& f) {
            if (f.size() != 9)
                return false;
            m_codings.append({f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt(),
                              QString::fromUtf8(f[5]), OleDaysOf(QString::fromUtf8(f[6])), f[7] == "1",
                              QString::fromUtf8(f[8])});
            return true;
        });
        if (!read)
            return Fail(m_error, QStringLiteral("codings.csv is not readable"));
        for (qsizetype i = 0; i < m_codings.size(); ++i) {
            const Coding& coding = m_codings.at(i);
            m_codingsOfDocument[coding.document].append(i);
            ++m_codesOfCode[coding.code];
            if (!coding.memo.isEmpty())
                ++m_memosOfDocument[coding.document];
        }
        counts.codings = int(m_codings.size());
        if (!ReadWhole(Path("file_attributes.csv"), data, m_error))
            return false;
        return ForEachCsvRow(data, [&](const QList<QByteArray>& f) {
            if (f.size() != 3)
                return false;
            m_attributes[f[0].toInt()].append({QString::fromUtf8(f[1]), QString::fromUtf8(f[2])});
            return true;
        }) || Fail(m_error, QStringLiteral("file_attributes.csv is not readable"));
    }

    qint32 AddMemo(const QString& title, const QString& author, double date, const QString& text,
                   const std::function<void(RowWriter&)>& owner)
    {
        RowWriter row(m_db);
        if (!row.Begin(TopicId::Memos, -1))
            return 0;
        row.Text(8, title.isEmpty() ? QStringLiteral("Memo %1").arg(row.Key()) : title.left(kPreviewUnits));
        row.Text(9, author);
        row.Date(10, date);
        row.Blob(11, PlainRtf(text));
        row.Text(13, text.left(kPreviewUnits));
        row.Int(14, 1);
        owner(row);
        const qint32 key = row.Key();
        return row.Commit() ? key : 0;
    }

    bool CodeTree(GeneratedCounts& counts)
    {
        QByteArray categories;
        QByteArray codes;
        if (!ReadWhole(Path("categories.jsonl"), categories, m_error) || !ReadWhole(Path("codes.jsonl"), codes, m_error))
            return false;
        StoreTransaction transaction(&m_db);
        QHash<qint32, qint32> childCount;  // parent -> children so far, for Index
        const auto addCode = [&](qint32 key, qint32 parent, const QJsonObject& object, qint32 colour, qint32 codings) {
            const QString name = object.value(QLatin1String("name")).toString();
            const QString author = object.value(QLatin1String("owner")).toString();
            const double date = OleDaysOf(object.value(QLatin1String("date")).toString());
            const QString memo = object.value(QLatin1String("memo")).toString();
            qint32 memoKey = 0;
            if (!memo.isEmpty()) {
                memoKey = AddMemo(name, author, date, memo, [&](RowWriter& row) {
                    row.Int(4, key);
                    row.Int(7, -1);
                });
                if (memoKey == 0)
                    return Broken("a code memo");
                ++counts.memos;
            }
            RowWriter row(m_db);
            if (!row.Begin(TopicId::Codes, key))
                return Broken("a code");
            row.Int(1, childCount[parent]++);
            row.Int(2, parent);
            row.Int(4, colour);
            row.Text(5, name);
            row.Int(6, memoKey);
            row.Int(7, codings);
            row.Text(9, author);
            row.Date(10, date);
            m_colourOfCode.insert(key, colour);
            return row.Commit() || Broken("a code");
        };
        // Categories come first and have no codings of their own; code ids
        // follow the greatest category id.
        bool ok = ForEachJsonLine(categories, [&](const QJsonObject& category) {
            const qint32 key = category.value(QLatin1String("catid")).toInt();
            m_categoryCount = qMax(m_categoryCount, key);
            ++counts.categories;
            return addCode(key, category.value(QLatin1String("supercatid")).toInt(), category, 0, 0);
        });
        ok = ok && ForEachJsonLine(codes, [&](const QJsonObject& code) {
            const qint32 cid = code.value(QLatin1String("cid")).toInt();
            ++counts.codes;
            return addCode(m_categoryCount + cid, code.value(QLatin1String("catid")).toInt(), code,
                           ColorRefOf(code.value(QLatin1String("color")).toString()), m_codesOfCode.value(cid));
        });
        return ok && (transaction.Commit() || Broken("the code tree"));
    }

    bool Document(const QJsonObject& file, GeneratedCounts& counts)
    {
        const qint32 id = file.value(QLatin1String("id")).toInt();
        const QString text = file.value(QLatin1String("text")).toString();
        QTextDocument document;
        document.setPlainText(text);
        RowWriter row(m_db);
        if (!row.Begin(TopicId::Documents, id))
            return Broken("a document");
        row.Int(1, id);
        row.Int(DocumentField::GroupID, kGroup);
        row.Blob(DocumentField::Text, rtf::WriteRtf(document));
        row.Text(6, file.value(QLatin1String("name")).toString());
        row.Date(7, OleDaysOf(file.value(QLatin1String("date")).toString()));
        row.Int(DocumentField::Codes, qint32(m_codingsOfDocument.value(id).size()));
        row.Int(DocumentField::Memos, m_memosOfDocument.value(id));
        row.Text(11, file.value(QLatin1String("owner")).toString());
        row.Int(12, qint32(text.size()));
        for (const auto& [name, value] : m_attributes.value(id)) {
            FieldDescriptor field;
            if (m_db.GetFieldDescriptor(TopicId::Documents, m_variables.value(name), field))
                field.Type == FieldType::Integer ? row.Int(field.ID, value.toInt()) : row.Text(field.ID, value);
        }
        if (!row.Commit())
            return Broken("a document");
        ++counts.documents;

        // Paragraph numbers from 1: one paragraph per line.
        QList<qint32> lineStarts{0};
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == u'\n')
                lineStarts.append(qint32(i + 1));
        }
        const auto paragraphOf = [&lineStarts](qint32 position) {
            return qint32(std::upper_bound(lineStarts.cbegin(), lineStarts.cend(), position) - lineStarts.cbegin());
        };
        for (qsizetype index : m_codingsOfDocument.value(id)) {
            const Coding& coding = m_codings.at(index);
            const qint32 code = m_categoryCount + coding.code;
            const qint32 startPara = paragraphOf(coding.start);
            RowWriter codingRow(m_db);
            if (!codingRow.Begin(TopicId::Codings, coding.id))
                return Broken("a coding");
            codingRow.Int(1, coding.id);
            codingRow.Int(2, m_colourOfCode.value(code));
            codingRow.Int(3, id);
            codingRow.Int(4, code);
            codingRow.Int(5, coding.start);
            codingRow.Int(6, coding.finish);
            codingRow.Int(7, startPara);
            codingRow.Int(8, paragraphOf(qMax(coding.start, coding.finish - 1)));
            codingRow.Int(9, coding.important ? kImportantWeight : 0);
            codingRow.Text(10, text.mid(coding.start, kPreviewUnits));
            codingRow.Blob(11, rtf::WriteRtf(document, coding.start, coding.finish));
            codingRow.Text(12, coding.owner);
            codingRow.Date(13, coding.date);
            codingRow.Int(15, kGroup);
            codingRow.Int(18, 1);
            codingRow.Int(19, 1);
            codingRow.Int(20, coding.finish - coding.start);
            codingRow.Real(21, text.isEmpty() ? 0 : (coding.finish - coding.start) * 100.0 / double(text.size()));
            if (!codingRow.Commit())
                return Broken("a coding");
            if (coding.memo.isEmpty())
                continue;
            QByteArray codeList(4, '\0');
            qToLittleEndian(code, codeList.data());
            const qint32 memo = AddMemo(QString(), coding.owner, coding.date, coding.memo, [&](RowWriter& memoRow) {
                memoRow.Int(MemoField::GroupID, kGroup);
                memoRow.Int(MemoField::Document, id);
                memoRow.Int(3, startPara);
                memoRow.Int(MemoField::Pos, coding.start);
                memoRow.Blob(12, codeList);
                memoRow.Int(15, 1);
            });
            if (memo == 0)
                return Broken("a coding memo");
            ++counts.memos;
        }
        return true;
    }

    bool Documents(GeneratedCounts& counts)
    {
        QFile file(Path("files.jsonl"));
        if (!file.open(QIODevice::ReadOnly))
            return Fail(m_error, file.errorString());
        // Documents are read one line at a time: the corpus text is large.
        int inTransaction = 0;
        std::optional<StoreTransaction> transaction;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            if (line.trimmed().isEmpty())
                continue;
            const QJsonDocument json = QJsonDocument::fromJson(line);
            if (!json.isObject())
                return Fail(m_error, QStringLiteral("files.jsonl is not readable"));
            if (!transaction)
                transaction.emplace(&m_db);
            if (!Document(json.object(), counts))
                return false;
            if (++inTransaction == kDocumentsPerTransaction) {
                if (!transaction->Commit())
                    return Broken("the documents");
                transaction.reset();
                inTransaction = 0;
            }
        }
        return !transaction || transaction->Commit() || Broken("the documents");
    }

    QString m_corpus;
    ProjectDataEngine& m_engine;
    TopicDatabase& m_db;
    QString* m_error;
    QList<Coding> m_codings;
    QHash<qint32, QList<qsizetype>> m_codingsOfDocument;
    QHash<qint32, qint32> m_codesOfCode;  // corpus code id -> codings
    QHash<qint32, qint32> m_memosOfDocument;
    QHash<qint32, QList<std::pair<QString, QString>>> m_attributes;  // document -> (name, value)
    QHash<QString, qint32> m_variables;  // name -> field id
    QHash<qint32, qint32> m_colourOfCode;
    qint32 m_categoryCount = 0;  // greatest category id: code ids start above it
};

}  // namespace

bool GenerateProject(const QString& corpusFolder, const QString& projectPath, QString* error, GeneratedCounts* counts)
{
    if (QFileInfo::exists(projectPath))
        return Fail(error, QStringLiteral("%1 exists already").arg(projectPath));
    const QString partial = projectPath + QStringLiteral(".partial");
    QFile::remove(partial);
    GeneratedCounts made;
    {
        ProjectDataEngine engine;
        TopicDatabase db;
        if (!engine.Create(partial))
            return Fail(error, engine.LastError());
        db.SetEngine(&engine);
        for (qint32 topic : kStoredTopics) {
            if (!engine.LoadTopic(*db.CreateTable(topic)))
                return Fail(error, engine.LastError());
        }
        Generator generator(corpusFolder, engine, db, error);
        if (!generator.Run(made)) {
            db.Clear();
            engine.Close();
            QFile::remove(partial);
            return false;
        }
        db.Clear();
        // Positions are counted as this program counts them: the file is one
        // it made, which none of the one-time repairs of older files may touch.
        if (!CKorDoc::MarkUpgradeStepsDone(engine)) {
            const QString reason = engine.LastError();
            engine.Close();
            QFile::remove(partial);
            return Fail(error, reason);
        }
        engine.Close();
    }
    if (!QFile::rename(partial, projectPath))
        return Fail(error, QStringLiteral("cannot rename %1").arg(partial));
    if (counts)
        *counts = made;
    return true;
}

bool CheckProject(const QString& corpusFolder, const QString& projectPath, QString* error)
{
    ProjectDataEngine engine;
    TopicDatabase db;
    if (!engine.Open(projectPath))
        return Fail(error, engine.LastError());
    db.SetEngine(&engine);
    for (qint32 topic : {TopicId::Documents, TopicId::Codes, TopicId::Codings, TopicId::Memos}) {
        if (!engine.LoadTopic(*db.CreateTable(topic)))
            return Fail(error, engine.LastError());
    }
    const auto blobText = [&db](qint32 topic, qint32 key, qint32 field) {
        RowBuffer row;
        FieldValue value;
        QTextDocument document;
        if (!db.ReadRow(topic, key, row, true) || !row.GetFieldValue(field, value) || !value.GetBlob() ||
            !rtf::ReadRtf(*value.GetBlob(), document).ok)
            return QStringLiteral("<unreadable>");
        return document.toPlainText();
    };

    QFile files(QDir(corpusFolder).filePath(QStringLiteral("files.jsonl")));
    if (!files.open(QIODevice::ReadOnly))
        return Fail(error, files.errorString());
    QHash<qint32, QString> texts;
    while (!files.atEnd()) {
        const QJsonObject file = QJsonDocument::fromJson(files.readLine()).object();
        const qint32 id = file.value(QLatin1String("id")).toInt();
        const QString text = file.value(QLatin1String("text")).toString();
        if (blobText(TopicId::Documents, id, DocumentField::Text) != text)
            return Fail(error, QStringLiteral("the text of document %1 differs").arg(id));
        texts.insert(id, text);
    }
    QByteArray data;
    if (!ReadWhole(QDir(corpusFolder).filePath(QStringLiteral("codings.csv")), data, error))
        return false;
    int codings = 0;
    QString difference;
    ForEachCsvRow(data, [&](const QList<QByteArray>& f) {
        const qint32 id = f[0].toInt();
        const qint32 document = f[1].toInt();
        const qint32 start = f[3].toInt();
        const qint32 finish = f[4].toInt();
        ++codings;
        const auto value = [&](qint32 field) { return db.GetIntValue(TopicId::Codings, id, field); };
        if (value(3) != document || value(5) != start || value(6) != finish ||
            db.FormatRowDisplay(TopicId::Codes, value(4), false).isEmpty())
            difference = QStringLiteral("coding %1 differs").arg(id);
        else if (blobText(TopicId::Codings, id, 11) != texts.value(document).mid(start, finish - start))
            difference = QStringLiteral("the segment of coding %1 differs").arg(id);
        return difference.isEmpty();
    });
    if (!difference.isEmpty())
        return Fail(error, difference);
    if (codings != db.GetRowCount(TopicId::Codings) || texts.size() != db.GetRowCount(TopicId::Documents))
        return Fail(error, QStringLiteral("the project holds other numbers of documents or codings"));
    return true;
}

QString BenchProject(double scale, QString* error)
{
    QString cache = qEnvironmentVariable("KORVAN_BENCH_CACHE");
    if (cache.isEmpty())
        cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/korvan10-bench");
    const QString name = QStringLiteral("synth_s%1").arg(scale);
    const QString corpus = QDir(cache).filePath(name + QStringLiteral("_corpus"));
    const QString project = QDir(cache).filePath(name + QStringLiteral(".kv4"));
    if (QFileInfo::exists(project))
        return project;
    if (!QFileInfo::exists(QDir(corpus).filePath(QStringLiteral("manifest.json")))) {
        QDir().mkpath(cache);
        QProcess python;
        python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        python.start(QStringLiteral("python3"), {QStringLiteral(KORVAN_SOURCE_DIR "/bench/make-corpus.py"),
                                                 QStringLiteral("--scale"), QString::number(scale),
                                                 QStringLiteral("--out"), cache});
        if (!python.waitForFinished(-1) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
            Fail(error, QStringLiteral("make-corpus.py failed: %1").arg(python.errorString()));
            return {};
        }
    }
    if (!GenerateProject(corpus, project, error))
        return {};
    return project;
}
