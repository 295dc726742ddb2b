#pragma once

#include <QtGlobal>

class CKorDoc;
class OptionsRecord;

/// @short What the project document asks of the retrieval engine.
///
/// The engine lives above the document (retrieval/), so the document
/// declares the calls it needs and the engine registers itself through
/// CKorDoc::SetRetrievalService at start-up; tests register a recording
/// fake. Without a service the document runs no retrieval at all.
/// UI thread only, like the document.
class IRetrievalService {
public:
    virtual ~IRetrievalService() = default;

    /// Rebuilds the retrieved segments of the document's activated
    /// documents and codes under the settings' retrieval function and
    /// announces them to the panes. `flag` is passed through as given.
    virtual void RunRetrieval(CKorDoc& doc, const OptionsRecord& settings, qint32 flag) = 0;
};
