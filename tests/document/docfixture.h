#pragma once

// The project document under test with the shell around it: a frame that
// logs what the document asks of it and runs the frame's open, new and exit
// sequences, a pane and a registry owner that log every broadcast, scripted
// messages, and builders of project content. After every test each
// project file left in the test's folder must be consistent.

#include "common/recordingpane.h"
#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "document/consistency.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/stringstore.h"
#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/projectfixture.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QLocale>
#include <QVariant>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace doctest {

/// The main window's side. Its calls go into the panes' log as
/// "frame.Operation(text)".
class FakeFrame : public IDocumentFrame {
public:
    FakeFrame(CKorDoc& doc, testutil::CallLog& log) : m_doc(doc), m_log(log) {}

    bool hasWindow = true;  ///< SetWindowTitle succeeds
    QString windowTitle;

    bool SetWindowTitle(const QString& title) override
    {
        if (hasWindow)
            windowTitle = title;
        return hasWindow;
    }
    void CloseProjectUI() override
    {
        Log("CloseProjectUI");
        m_doc.SaveProjectSettings();
        m_doc.ResetCaches();
    }
    void CommitDocumentEdits() override { Log("CommitDocumentEdits"); }
    void LoadMediaFile(const QString& fileName) override { Log("LoadMediaFile", fileName); }
    void RebuildGeoLinkList() override { Log("RebuildGeoLinkList"); }
    void RefreshBrowser() override { Log("RefreshBrowser"); }

    /// The open command: the previous project is closed only once the new
    /// file gave an engine.
    bool OpenCommand(const QString& path) { return Replace(m_doc.OpenProjectFile(path, QStringLiteral("MAIN"))); }
    bool NewCommand(const QString& path) { return Replace(m_doc.CreateProjectFile(path, QStringLiteral("MAIN"))); }
    /// The program ends.
    void ExitCommand()
    {
        CloseProjectUI();
        m_doc.CloseDatabase();
    }

private:
    bool Replace(std::unique_ptr<ProjectDataEngine> engine)
    {
        if (!engine)
            return false;
        CloseProjectUI();
        return m_doc.OpenProject(std::move(engine), false);
    }
    void Log(const char* op, const QString& text = {})
    {
        m_log.calls.push_back(std::string("frame.") + op + '(' + text.toStdString() + ')');
    }

    CKorDoc& m_doc;
    testutil::CallLog& m_log;
};

/// A value for a field: text in the field's own text form, or bytes for a blob.
using FieldValues = std::vector<std::pair<qint32, QVariant>>;

/// Adds and commits a row with the next key; 0 when it failed.
inline qint32 AddRow(TopicDatabase& db, qint32 topic, const FieldValues& values)
{
    RowBuffer row;
    if (!db.AddRow(topic, row, -1))
        return 0;
    for (const auto& [id, value] : values) {
        FieldValue field;
        EXPECT_TRUE(row.GetFieldValue(id, field)) << "topic " << topic << " field " << id;
        if (value.typeId() == QMetaType::QByteArray)
            field.SetBlob(value.toByteArray());
        else
            field.Parse(value.toString());
    }
    const qint32 key = row.GetKey();
    return row.Commit(true, true) ? key : 0;
}

/// A field of a row as the field formats it; "<absent>" without the row.
inline QString ValueOf(const TopicDatabase& db, qint32 topic, qint32 key, qint32 fieldId)
{
    TopicTable* table = db.GetTable(topic);
    const FieldDescriptor* field = table ? table->Fields().GetById(fieldId) : nullptr;
    const char* row = table ? table->RowOfKey(key) : nullptr;
    if (!field || !row)
        return QStringLiteral("<absent>");
    return FieldValue(*field, const_cast<char*>(row) + field->Offset).Format();
}

/// The stored blob of a row's field, read through the engine.
inline QByteArray BlobOf(TopicDatabase& db, qint32 topic, qint32 key, qint32 fieldId)
{
    RowBuffer row;
    FieldValue value;
    if (!db.ReadRow(topic, key, row, true) || !row.GetFieldValue(fieldId, value) || !value.GetBlob())
        return {};
    return *value.GetBlob();
}

/// Rows of a query on a file no engine holds open, each as "a|b|c".
inline QStringList QueryRows(const QString& path, const QString& sql, const QVariantList& values = {})
{
    QStringList rows;
    for (const QVariantList& row : projecttest::QueryFile(path, sql, values)) {
        QStringList columns;
        for (const QVariant& value : row)
            columns.append(value.toString());
        rows.append(columns.join(QLatin1Char('|')));
    }
    return rows;
}

using projecttest::ExecOnFile;

/// RTF of paragraphs in the control's counting: each paragraph's text,
/// then one paragraph end.
inline QByteArray RtfOf(const QStringList& paragraphs)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    rtf += paragraphs.join(QStringLiteral("\\par ")).toLatin1();
    return rtf + "}";
}

/// The document with a frame, a pane that shows everything, a registry
/// owner and scripted messages; the language table open in English.
class DocTest : public ::testing::Test {
protected:
    DocTest() : pane("pane", log), owner(log), frame(doc, log) {}

    void SetUp() override
    {
        m_savedLocale = QLocale();
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        pane.showsAll = true;
        doc.GetRegistry().SetOwner(&owner);
        doc.GetRegistry().Register(&pane);
        doc.SetFrame(&frame);
        path = dir.file(QStringLiteral("Projekt Ä.kv4"));
    }
    void TearDown() override
    {
        doc.CloseDatabase();
        if (m_checkConsistency) {
            const CounterCheck counters = m_rowsWrittenAroundTheDocument ? CounterCheck::Off : CounterCheck::On;
            for (const QString& file : ProjectFilesIn(dir.path()))
                EXPECT_EQ(ConsistencyFaults(file, counters), QStringList()) << file.toStdString();
        }
        g_pStringStore->Close();
        QLocale::setDefault(m_savedLocale);
    }

    TopicDatabase& db() { return doc.GetDatabase(); }
    /// A new project at path, opened; the log emptied.
    void NewProject()
    {
        ASSERT_TRUE(frame.NewCommand(path)) << messages.texts.join(QLatin1Char('\n')).toStdString();
        log.Take();
    }
    /// Closes as the program does at exit and opens the project again.
    void Reopen()
    {
        frame.ExitCommand();
        ASSERT_TRUE(frame.OpenCommand(path)) << messages.texts.join(QLatin1Char('\n')).toStdString();
    }
    qint32 AddGroup(const QString& name) { return AddRow(db(), TopicId::DocumentGroups, {{3, name}}); }
    qint32 AddDocument(qint32 group, const QString& name, const QByteArray& rtf = {}, qint32 docType = 0)
    {
        FieldValues values = {{DocumentField::GroupID, group}, {DocumentField::Name, name},
                              {DocumentField::DocType, docType}};
        if (!rtf.isEmpty())
            values.push_back({DocumentField::Text, rtf});
        return AddRow(db(), TopicId::Documents, values);
    }
    qint32 AddCode(const QString& name, qint32 parent = 0, qint32 color = 0)
    {
        return AddRow(db(), TopicId::Codes, {{5, name}, {CodeField::Parent, parent}, {CodeField::Type, color}});
    }
    /// Codings and memos written as rows, around the document: the counters
    /// of their documents and codes stay as they were.
    qint32 AddCoding(qint32 document, qint32 code, qint32 start, qint32 finish, const FieldValues& more = {})
    {
        m_rowsWrittenAroundTheDocument = true;
        FieldValues values = {{CodingField::Document, document},
                              {CodingField::Code, code},
                              {CodingField::StartChar, start},
                              {CodingField::FinishChar, finish}};
        values.insert(values.end(), more.begin(), more.end());
        return AddRow(db(), TopicId::Codings, values);
    }
    qint32 AddMemo(const FieldValues& values)
    {
        m_rowsWrittenAroundTheDocument = true;
        return AddRow(db(), TopicId::Memos, values);
    }
    /// SQL run on the closed file, around the document.
    bool ExecOnFile(const QString& file, const QStringList& statements)
    {
        m_rowsWrittenAroundTheDocument = true;
        return projecttest::ExecOnFile(file, statements);
    }
    /// For a test that leaves a damaged project on purpose: the input of a
    /// repair, or a file that must be refused.
    void AllowInconsistentProject() { m_checkConsistency = false; }

    testutil::TempDir dir;
    testutil::CallLog log;
    testutil::RecordingPane pane;
    testutil::RecordingOwner owner;
    testutil::ScriptedMessages messages;
    CKorDoc doc;
    FakeFrame frame;
    QString path;

private:
    QLocale m_savedLocale;
    bool m_checkConsistency = true;
    bool m_rowsWrittenAroundTheDocument = false;
};

}  // namespace doctest
