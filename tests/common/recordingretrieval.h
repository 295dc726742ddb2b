#pragma once

// A retrieval service that only counts and logs the runs the document asks
// for, so that a test sees whether (and how often) a change reran the
// retrieval without the engine.

#include "document/retrievalservice.h"
#include "foundation/optionsrecord.h"

#include <vector>

namespace testutil {

class RecordingRetrieval : public IRetrievalService {
public:
    struct Run {
        qint32 flag = 0;
        qint32 function = 0;  ///< the settings' retrieval function at the call
    };

    void RunRetrieval(CKorDoc&, const OptionsRecord& settings, qint32 flag) override
    {
        runs.push_back({flag, settings.retrievalFunction});
    }

    std::vector<Run> runs;
};

}  // namespace testutil
