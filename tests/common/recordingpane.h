#pragma once

// A pane and a registry owner that write every call they receive into one
// shared log, as "name.Operation(arg,arg,...)", so that a test sees what the
// registry (or the document through it) called, in which order, on whom.

#include "document/panewnd.h"
#include "document/registryowner.h"

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace testutil {

struct CallLog {
    std::vector<std::string> calls;
    /// IsShown is the registry's filter and asked often; logged only when set.
    bool logIsShown = false;

    /// The calls so far; the log is empty afterwards.
    std::vector<std::string> Take() { return std::exchange(calls, {}); }
};

inline std::string FormatCall(const std::string& who, const char* op, std::initializer_list<qint64> args,
                              const QList<quint32>* ids = nullptr)
{
    std::string text = who + '.' + op + '(';
    bool first = true;
    auto append = [&](const std::string& part) {
        if (!first)
            text += ',';
        text += part;
        first = false;
    };
    size_t n = 0;
    for (qint64 arg : args) {
        append(std::to_string(arg));
        // The id list of OnObjectsAdded stands second, as "[1,2,3]".
        if (++n == 1 && ids) {
            std::string list = "[";
            for (qsizetype i = 0; i < ids->size(); ++i) {
                if (i)
                    list += ',';
                list += std::to_string(ids->at(i));
            }
            append(list + "]");
        }
    }
    return text + ')';
}

class RecordingPane : public CPaneWnd {
public:
    RecordingPane(std::string name, CallLog& log) : m_name(std::move(name)), m_log(log) {}
    ~RecordingPane() override { LeaveRegistry(); }

    // What the pane answers.
    std::set<std::pair<qint32, qint32>> shown;   // (topic, id) pairs IsShown accepts
    bool showsAll = false;                       // IsShown accepts everything
    bool placesAdded = true;                     // OnObjectAdded, OnObjectsAdded
    bool startsEdit = true;                      // BeginEditLabel
    bool takesDocument = false;                  // ShowDocument
    bool takesDrop = false;                      // OnDrop
    Qt::DropAction dropEffect = Qt::IgnoreAction;

    /// Runs inside every call after it is logged, with the operation's name,
    /// so that a test can act in the middle of a broadcast (unregister, delete).
    std::function<void(const std::string& op)> during;

    const std::string& name() const { return m_name; }

    bool IsShown(qint32 topic, qint32 id) override
    {
        if (m_log.logIsShown)
            Log("IsShown", {topic, id});
        return showsAll || shown.count({topic, id}) > 0;
    }
    bool OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic,
                        qint32 parentId) override
    {
        Log("OnObjectsAdded", {topic, parentTopic, parentId}, &ids);
        return placesAdded;
    }
    void ResetContent() override { Log("ResetContent", {}); }
    bool OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                       bool select) override
    {
        Log("OnObjectAdded", {topic, id, after, parentTopic, parentId, select});
        return placesAdded;
    }
    bool BeginEditLabel(qint32 topic, qint32 id) override
    {
        Log("BeginEditLabel", {topic, id});
        return startsEdit;
    }
    void OnObjectDeleted(qint32 topic, qint32 id) override { Log("OnObjectDeleted", {topic, id}); }
    void OnObjectChanged(qint32 topic, qint32 id) override { Log("OnObjectChanged", {topic, id}); }
    void ExpandObject(qint32 topic, qint32 id) override { Log("ExpandObject", {topic, id}); }
    void SortChildren(qint32 topic, qint32 id, qint32 flag) override
    {
        Log("SortChildren", {topic, id, flag});
    }
    Qt::DropAction OnDragOver(qint32 draggedKind, qint32 draggedId, QPoint screenPos) override
    {
        Log("OnDragOver", {draggedKind, draggedId, screenPos.x(), screenPos.y()});
        return dropEffect;
    }
    void OnDragLeave() override { Log("OnDragLeave", {}); }
    bool OnDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos) override
    {
        Log("OnDrop", {draggedKind, draggedId, screenPos.x(), screenPos.y()});
        return takesDrop;
    }
    void DragScroll(qint32 scrollCode) override { Log("DragScroll", {scrollCode}); }
    bool ShowDocument(qint32 topic, qint32 id, qint32 mode) override
    {
        Log("ShowDocument", {topic, id, mode});
        return takesDocument;
    }
    void SelectObject(qint32 topic, qint32 id, qint32 flag) override
    {
        Log("SelectObject", {topic, id, flag});
    }

private:
    void Log(const char* op, std::initializer_list<qint64> args, const QList<quint32>* ids = nullptr)
    {
        m_log.calls.push_back(FormatCall(m_name, op, args, ids));
        if (during)
            during(op);
    }

    std::string m_name;
    CallLog& m_log;
};

/// The frame's side of the registry, logging as "owner.Operation(...)".
class RecordingOwner : public RegistryOwner {
public:
    explicit RecordingOwner(CallLog& log) : m_log(log) {}

    bool changeAnswer = true;   // what OnObjectChanged answers

    bool OnObjectChanged(qint32 topic, qint32 id) override
    {
        m_log.calls.push_back(FormatCall("owner", "OnObjectChanged", {topic, id}));
        return changeAnswer;
    }
    void OnObjectDeleted(qint32 topic, qint32 id) override
    {
        m_log.calls.push_back(FormatCall("owner", "OnObjectDeleted", {topic, id}));
    }
    void ClearQuickCodes() override { m_log.calls.push_back(FormatCall("owner", "ClearQuickCodes", {})); }
    void RefreshListFont() override { m_log.calls.push_back(FormatCall("owner", "RefreshListFont", {})); }

private:
    CallLog& m_log;
};

}  // namespace testutil
