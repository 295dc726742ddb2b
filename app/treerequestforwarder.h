#pragma once

#include "panes/requestowner.h"

class CKorDoc;

/// @short Answers the trees' item requests and record reads from the
/// project document, until the frame's router answers every request.
///
/// Item queries and notices (-202) and record reads (-199) go to the
/// document; every other request stays unanswered, so the trees change
/// nothing for it. Without a project open nothing is answered.
class CTreeRequestForwarder : public RequestOwner {
public:
    /// `document` is not owned and may be null.
    explicit CTreeRequestForwarder(CKorDoc* document) : m_document(document) {}

    void Request(NotifyHead& record) override;
    /// The open project's canonical path; empty when none is open.
    QString ProjectIdentity() const override;

private:
    CKorDoc* m_document;
};
