#pragma once

#include "retrieval/retrievalfunctiondlg.h"
#include "ui/richviewowner.h"

class CKorDoc;
class CMainFrame;

/// @short The frame's side of the retrieved-segments pane and the
/// retrieval-function dialog: the pane's requests go to the frame's router;
/// counting runs, the rerun after new settings and the quick codes.
///
/// Holds pointers to the frame and the document, which outlive it.
class CRetrievalRequests : public RichViewOwner, public IRetrievalFunctionHost {
public:
    CRetrievalRequests(CMainFrame& frame, CKorDoc* document) : m_frame(frame), m_document(document) {}

    void Request(NotifyHead& record) override;

    qint32 CountRetrieval(const OptionsRecord& settings) override;
    void RetrievalSettingsApplied() override;
    QString CodeName(qint32 code) override;
    QList<qint32> ActivatedCodes() override;
    QList<QPair<qint32, QString>> QuickCodes() override;

    /// Reruns the retrieval with the document's settings and shows its
    /// counts and settings in the status bar.
    void RerunRetrieval();

private:
    bool HasProject() const;

    CMainFrame& m_frame;
    CKorDoc* m_document;
};
