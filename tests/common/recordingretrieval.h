#pragma once

// A retrieval service that only counts and logs the runs the document asks
// for, so that a test sees whether (and how often) a change reran the
// retrieval without the engine. Every other request is left unanswered.

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

    qint32 RunRetrieval(CKorDoc&, const OptionsRecord& settings, qint32 flag) override
    {
        runs.push_back({flag, settings.retrievalFunction});
        return 0;
    }
    void SortRetrievedSegments(const OptionsRecord*, CSegmentArray&, qint32) override {}
    void RemoveDuplicateRows(CSegmentArray&) override {}
    void GetSegmentTexts(CKorDoc&, const CSegmentArray&, QList<QByteArray>&) override {}
    void ComputeCodeRelations(CKorDoc&, qint32, QList<CodeRelationEntry>&, QList<qint32>&, QList<qint32>&, bool,
                              bool, qint32) override
    {
    }
    QList<CoOccurrence> CountCodingsForChart(CKorDoc&, qint32, QList<CodeRelationEntry>&) override { return {}; }
    void CountCodingsForNode(CKorDoc&, qint32, QList<CodeRelationEntry>&, QList<qint32>&) override {}
    void ComputeCodeRelationsMatrix(CKorDoc&, QList<CodeRelationEntry>&, QList<CodeRelationEntry>&, QList<qint32>&,
                                    QList<qint32>&, bool, bool, qint32) override
    {
    }
    void FormatTypologyCells(CKorDoc&, QList<TypologyColumn>&, QList<TypologyRow>&, QStringList&, bool) override {}
    bool CollectCodedStretches(CKorDoc&, qint32, qint32, bool, bool, SegmentRecordArray&, const QStringList&,
                               qint32) override
    {
        return false;
    }

    std::vector<Run> runs;
};

}  // namespace testutil
