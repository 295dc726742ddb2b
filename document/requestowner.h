#pragma once

#include <QString>
#include <QtGlobal>

class QObject;
struct NotifyHead;

/// @short Where a pane or list sends its request records: the main frame's
/// router, which hands each to the project document or handles it itself.
///
/// Headless, so that the frame, tests and a document-only forwarder can all
/// stand behind it. Calls come synchronously on the UI thread; the record is
/// answered in place before the call returns, or left as it was (an
/// unanswered request counts as refused).
class RequestOwner {
public:
    virtual ~RequestOwner() = default;
    virtual void Request(NotifyHead& record) = 0;
    /// The identity of the open project that drag payloads carry; empty
    /// while none is open.
    virtual QString ProjectIdentity() const { return {}; }
};

/// Stamps the head and sends the record to any owner with Request(record)
/// (a RequestOwner, a rich view's owner); nothing without an owner.
template <typename Owner, typename Record>
void SendRequest(Owner* owner, QObject* sender, qint32 controlId, Record& record)
{
    if (!owner)
        return;
    record.sender = sender;
    record.controlId = controlId;
    owner->Request(record);
}
