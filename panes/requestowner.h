#pragma once

#include "panes/listnotifyinfo.h"

#include <QtGlobal>

class QObject;

/// @short The window that answers the request records of the panes: the
/// main frame.
///
/// A pane fills a record on its stack and hands it here; the answer is in
/// the record when the call returns. Panes keep a plain pointer to their
/// owner, set when the frame builds them; tests fake it. UI thread only.
class RequestOwner {
public:
    virtual ~RequestOwner() = default;

    /// Routes the record by its code and answers it in place. False when
    /// nothing was routed (no project is open, or a code nobody answers):
    /// the answer fields then keep the sender's presets.
    virtual bool Request(NotifyHead& record) = 0;
};

/// Stamps the head and sends the record; false without an owner.
template <typename Record>
bool SendRequest(RequestOwner* owner, QObject* sender, qint32 controlId, Record& record)
{
    if (!owner)
        return false;
    record.sender = sender;
    record.controlId = controlId;
    return owner->Request(record);
}
