// A child process commits changes in a loop and is killed with SIGKILL at
// a random moment, again and again: after each kill the project opens as
// the program opens it (with its log, every message acknowledged), passes
// SQLite's integrity check and holds every change whose commit had
// returned true.
//
// The child is this test program itself, started on the disabled test
// below. Before each change it writes "BEGIN <n> <kind> <key>" to its
// standard output, after a successful commit "DONE <n> <key> <value>", so
// the parent knows every change that must have reached the file and the one
// change that may or may not have.

#include "projectfixture.h"

#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "document/kordoc.h"
#include "foundation/stringstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>

#include <gtest/gtest.h>

using projecttest::Project;

namespace {

constexpr char kFileVariable[] = "KORVAN_CRASH_FILE";
constexpr char kSeedVariable[] = "KORVAN_CRASH_SEED";
constexpr char kSetupKey[] = "crash counter";

enum Kind { AddOne = 0, AddThree = 1, Change = 2, Delete = 3, SetCounter = 4 };

void Report(const char* format, auto... values)
{
    std::printf(format, values...);
    std::printf("\n");
    std::fflush(stdout);
}

/// The codings in the file and the setup counter, as the parent expects them.
struct Expected {
    QMap<qint32, qint32> startByKey;  // coding key -> StartChar
    qint32 counter = 0;
};

Expected ReadState(Project& p)
{
    Expected state;
    QList<qint32> keys;
    p.db.GetAllKeys(TopicId::Codings, keys);
    for (qint32 key : keys)
        state.startByKey.insert(key, p.db.GetIntValue(TopicId::Codings, key, 5));
    QString counter;
    p.engine.GetSetupValue(QLatin1String(kSetupKey), counter);
    state.counter = counter.toInt();
    return state;
}

/// Opens a copy of the project, with its log as the kill left it, through
/// the document as the program opens a project; the texts shown when that
/// fails. The copy keeps the original as the child left it for the checks
/// that follow.
QString OpenThroughDocument(const QString& path, const QString& copy)
{
    QFile::remove(copy);
    QFile::remove(copy + QStringLiteral("-wal"));
    const QString log = path + QStringLiteral("-wal");
    if (!QFile::copy(path, copy) || (QFile::exists(log) && !QFile::copy(log, copy + QStringLiteral("-wal"))))
        return QStringLiteral("cannot copy %1").arg(path);
    testutil::ScriptedMessages messages;
    CKorDoc doc;
    std::unique_ptr<ProjectDataEngine> engine = doc.OpenProjectFile(copy, QStringLiteral("MAIN"));
    const bool opened = engine && doc.OpenProject(std::move(engine), false);
    doc.CloseDatabase();
    if (opened)
        return {};
    return messages.texts.isEmpty() ? QStringLiteral("refused without a message")
                                    : messages.texts.join(QLatin1Char('\n'));
}

}  // namespace

// Run only as the child of the test below.
TEST(CrashSafety, DISABLED_ChildCommitsUntilKilled)
{
    const QString path = qEnvironmentVariable(kFileVariable);
    ASSERT_FALSE(path.isEmpty());
    QRandomGenerator random(qEnvironmentVariableIntValue(kSeedVariable));
    Project p;
    ASSERT_TRUE(p.Open(path)) << p.engine.LastError().toStdString();
    // Kept here rather than read back, so the loop spends its time committing.
    QList<qint32> keys = ReadState(p).startByKey.keys();
    for (qint32 n = 1;; ++n) {
        const int kind = keys.isEmpty() ? AddOne : int(random.bounded(5));
        const qint32 existing = keys.isEmpty() ? 0 : keys.first();
        Report("BEGIN %d %d %d", n, kind, kind == Change || kind == Delete ? existing : 0);
        switch (kind) {
        case AddOne:
        case AddThree: {
            StoreTransaction transaction(&p.db);
            qint32 key = 0;
            bool ok = transaction.IsActive();
            for (int i = 0; ok && i < (kind == AddOne ? 1 : 3); ++i) {
                key = storetest::AddObject(p.db, TopicId::Codings, -1,
                                           {{5, QString::number(n)}, {10, QStringLiteral("crash %1").arg(n)}});
                ok = key != 0;
                keys.append(key);
            }
            ASSERT_TRUE(ok && transaction.Commit());
            Report("DONE %d %d %d", n, key, n);  // the last key; the others are the two below it
            break;
        }
        case Change: {
            RowBuffer row;
            ASSERT_TRUE(p.db.ReadRow(TopicId::Codings, existing, row, false));
            ASSERT_TRUE(row.SetFieldText(5, QString::number(n)));
            Report("DONE %d %d %d", n, existing, n);
            break;
        }
        case Delete: {
            QList<ObjectRef> removed, changed;
            ASSERT_TRUE(p.db.DeleteRow(TopicId::Codings, existing, removed, changed));
            keys.removeFirst();
            Report("DONE %d %d 0", n, existing);
            break;
        }
        default:
            ASSERT_TRUE(p.engine.SetSetupValue(QLatin1String(kSetupKey), QString::number(n)));
            Report("DONE %d 0 %d", n, n);
            break;
        }
    }
}

TEST(CrashSafety, EveryCommittedChangeSurvivesAKill)
{
    constexpr int kRounds = 30;
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("crash.kv4"));
    const QString copy = dir.file(QStringLiteral("opened by the program.kv4"));
    // The document's messages come from the language table.
    struct Strings {
        Strings() { EXPECT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1)); }
        ~Strings() { g_pStringStore->Close(); }
    } strings;
    Expected expected;
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
    }
    QRandomGenerator random(20260822);
    for (int round = 0; round < kRounds; ++round) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kFileVariable), path);
        environment.insert(QLatin1String(kSeedVariable), QString::number(random.generate() & 0x7FFFFFFF));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"),
                     QStringLiteral("--gtest_filter=CrashSafety.DISABLED_ChildCommitsUntilKilled")});
        ASSERT_TRUE(child.waitForStarted());
        // Killed after a random number of commits: usually in the middle
        // of the next one.
        const int commits = 1 + int(random.bounded(60));
        QByteArray output;
        while (output.count("DONE") < commits && child.state() == QProcess::Running) {
            child.waitForReadyRead(10000);
            output += child.readAllStandardOutput();
        }
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished());
        output += child.readAllStandardOutput();

        // Replay what the child reported; the change it began last without
        // reporting it may or may not be in the file.
        qint32 pendingKind = -1;
        qint32 pendingKey = 0;
        qint32 pendingN = 0;
        for (const QByteArray& line : output.split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() == 4 && words[0] == "BEGIN") {
                pendingN = words[1].toInt();
                pendingKind = words[2].toInt();
                pendingKey = words[3].toInt();
            } else if (words.size() == 4 && words[0] == "DONE") {
                const qint32 key = words[2].toInt();
                const qint32 value = words[3].toInt();
                switch (pendingKind) {
                case AddThree:
                    expected.startByKey.insert(key - 2, value);
                    expected.startByKey.insert(key - 1, value);
                    [[fallthrough]];
                case AddOne:
                case Change: expected.startByKey.insert(key, value); break;
                case Delete: expected.startByKey.remove(key); break;
                default: expected.counter = value; break;
                }
                pendingKind = -1;
            }
        }

        const QString refusal = OpenThroughDocument(path, copy);
        ASSERT_TRUE(refusal.isEmpty()) << "round " << round << ": " << refusal.toStdString();
        const QList<QVariantList> check = projecttest::QueryFile(path, QStringLiteral("PRAGMA integrity_check;"));
        ASSERT_EQ(check, (QList<QVariantList>{{QStringLiteral("ok")}})) << "round " << round;
        Project p;
        ASSERT_TRUE(p.Open(path)) << p.engine.LastError().toStdString();
        const Expected actual = ReadState(p);
        const qint32 known = expected.startByKey.isEmpty() ? 0 : expected.startByKey.lastKey();
        for (auto it = expected.startByKey.cbegin(); it != expected.startByKey.cend(); ++it) {
            if (pendingKind == Delete && it.key() == pendingKey && !actual.startByKey.contains(it.key()))
                continue;
            const qint32 value = actual.startByKey.value(it.key(), -1);
            EXPECT_TRUE(value == it.value() || (pendingKind == Change && it.key() == pendingKey && value == pendingN))
                << "round " << round << ": coding " << it.key() << " holds " << value << ", not " << it.value();
        }
        for (auto it = actual.startByKey.cbegin(); it != actual.startByKey.cend(); ++it) {
            const bool fromPendingAdd =
                (pendingKind == AddOne || pendingKind == AddThree) && it.key() > known && it.value() == pendingN;
            EXPECT_TRUE(expected.startByKey.contains(it.key()) || fromPendingAdd)
                << "round " << round << ": coding " << it.key() << " was never committed";
        }
        EXPECT_TRUE(actual.counter == expected.counter || (pendingKind == SetCounter && actual.counter == pendingN))
            << "round " << round;
        if (HasFailure())
            return;
        expected = actual;  // the next child goes on from the file as it is
    }
}
