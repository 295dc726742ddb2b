#pragma once

#include <QString>

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
