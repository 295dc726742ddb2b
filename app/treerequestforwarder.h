#pragma once

#include "document/requestowner.h"

class CKorDoc;

/// @short Answers the trees' requests from the project document alone,
/// where no frame stands behind them (benchmarks).
///
/// What the document answers goes to it (AnswerDocumentRequest); context
/// menus, following, opening and drops stay unanswered. Without a project
/// open nothing is answered.
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
