#pragma once

// A small project for the object lists: three documents in a group, four
// codes, six codings with weights, comments and dates, two memos; list
// windows opened on it as the frame opens them, with the requests answered
// by the document.

#include "common/documentowner.h"
#include "document/docfixture.h"
#include "document/objectlistregistry.h"
#include "foundation/programpaths.h"
#include "panes/objectlistwindow.h"
#include "store/topicdatabase.h"

#include <QComboBox>
#include <QFont>
#include <QLineEdit>
#include <QHeaderView>
#include <QTest>

#include <memory>

namespace listtest {

class ListTest : public doctest::DocTest {
protected:
    ListTest() : listOwner(doc) {}

    void SetUp() override
    {
        DocTest::SetUp();
        m_savedProfile = g_program.ProfilePath;
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
        ObjectListCtrl::SetOpenExportedFiles(false);
        NewProject();
        group = AddGroup(QStringLiteral("Interviews"));
        docs = {AddDocument(group, QStringLiteral("Interview Anna"), doctest::RtfOf({"Databank and more", "second"})),
                AddDocument(group, QStringLiteral("Interview Bert"), doctest::RtfOf({"bank robbery"})),
                AddDocument(group, QStringLiteral("Zeitung"), doctest::RtfOf({"bankrupt firm"}))};
        codes = {AddCode(QStringLiteral("Bank"), 0, 1), AddCode(QStringLiteral("Databank"), 0, 2),
                 AddCode(QStringLiteral("bankrupt"), 0, 3), AddCode(QStringLiteral("Ärger"), 0, 4)};
        struct C {
            int doc, code, start, end, weight;
            const char* comment;
            const char* date;
        };
        const C codings[] = {
            {0, 0, 0, 8, 50, "zebra", "2021-03-04 10:00"},  {0, 1, 0, 4, 0, "", "2020-01-01 09:00"},
            {1, 2, 0, 4, 100, "Äpfel", "2022-07-08 12:30"}, {1, 3, 5, 12, 25, "apple", "2019-12-31 23:59"},
            {2, 0, 0, 8, 75, "banana", "2021-03-04 09:59"}, {2, 2, 0, 3, 10, "", "2023-05-06 08:00"},
        };
        for (const C& c : codings) {
            const QByteArray text = doctest::RtfOf({QStringLiteral("coded text of %1").arg(c.comment)});
            this->codings.append(AddCoding(docs[c.doc], codes[c.code], c.start, c.end,
                                           {{CodingField::Weight, c.weight},
                                            {CodingField::Comment, QString::fromUtf8(c.comment)},
                                            {CodingField::Date, QString::fromLatin1(c.date)},
                                            {CodingField::Preview, QStringLiteral("prev %1").arg(c.comment)},
                                            {CodingField::Text, text},
                                            {CodingField::IsText, 1}}));
        }
        memos = {AddMemo({{MemoField::Title, QStringLiteral("First memo")},
                          {MemoField::Document, docs[0]},
                          {MemoField::Text, doctest::RtfOf({"memo text one", "line two"})}}),
                 AddMemo({{MemoField::Title, QStringLiteral("Second memo")},
                          {MemoField::Code, codes[1]},
                          {MemoField::Text, doctest::RtfOf({"memo text two"})}})};
        listOwner.Take();
    }

    void TearDown() override
    {
        for (auto& window : windows)
            delete window.data();
        windows.clear();
        g_program.ProfilePath = m_savedProfile;
        ObjectListCtrl::SetOpenExportedFiles(true);
        DocTest::TearDown();
    }

    /// A list window of all objects of the topic, as the frame opens it.
    ObjectListWindow* Open(qint32 topic, bool variablesShown = false, QSize size = QSize(700, 320))
    {
        QList<qint32> fieldIds;
        QList<qint32> keys;
        db().GetFieldIds(topic, fieldIds, true);
        db().GetAllKeys(topic, keys);
        VariableListContent variables;
        const bool withVariables = topic == TopicId::Documents || topic == TopicId::Codes;
        if (withVariables) {
            const qint32 list = topic == TopicId::Documents ? TopicId::DocumentVariables : TopicId::CodeVariables;
            doc.BuildVariableList(topic == TopicId::Codes);
            db().GetFieldIds(list, variables.fieldIds, true);
            db().GetAllKeys(list, variables.keys);
        }
        auto* window = new ObjectListWindow(&listOwner, topic, 0, 0, fieldIds, keys,
                                            LoadString(57715), withVariables ? &variables : nullptr);
        window->SetVariablesShown(variablesShown);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        window->setFont(font);
        window->Create();
        doc.GetRegistry().Register(window->Listener());
        window->resize(size);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        windows.append(window);
        return window;
    }

    /// The keys of a list in row order.
    static QList<qint32> Rows(const ObjectListCtrl* list)
    {
        QList<qint32> keys;
        for (int row = 0; row < list->RowCount(); ++row)
            keys.append(list->KeyAt(row));
        return keys;
    }
    static QModelIndex Cell(const ObjectListCtrl* list, int row, qint32 fieldId)
    {
        return list->model()->index(row, list->ColumnOfField(fieldId));
    }
    static QString Text(const ObjectListCtrl* list, int row, qint32 fieldId)
    {
        return list->RowTexts(list->KeyAt(row)).value(list->ColumnOfField(fieldId));
    }
    /// Clicks a column's header.
    static void ClickHeader(ObjectListCtrl* list, qint32 fieldId)
    {
        QHeaderView* header = list->horizontalHeader();
        const int column = list->ColumnOfField(fieldId);
        list->scrollTo(list->model()->index(0, column));
        const QPoint point(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                           header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
    }
    /// The text field of the open cell editor (a line edit, or a combo
    /// box's); null when none is open.
    static QLineEdit* EditorLine(const ObjectListCtrl* list)
    {
        if (auto* edit = qobject_cast<QLineEdit*>(list->CellEditor()))
            return edit;
        auto* combo = qobject_cast<QComboBox*>(list->CellEditor());
        return combo ? combo->lineEdit() : nullptr;
    }
    static void DoubleClick(ObjectListCtrl* list, const QModelIndex& index)
    {
        list->scrollTo(index);
        const QPoint point = list->visualRect(index).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
    }

    testutil::DocumentOwner listOwner;
    qint32 group = 0;
    QList<qint32> docs, codes, codings, memos;
    QList<QPointer<ObjectListWindow>> windows;

private:
    QString m_savedProfile;
};

}  // namespace listtest
