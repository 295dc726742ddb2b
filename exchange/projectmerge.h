#pragma once

#include "document/projectmergeservice.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class SerialBuffer;
class TopicDatabase;

/// @short The whole-project merge and its steps by object kind.
///
/// A merge reads another project from a private copy into a store of its
/// own (MergeSource) and adds all of it to the open project's store:
/// groups, documents with their variables, memos, codings and links,
/// document sets, the code system with its memos, free and group memos,
/// media marks and stored models. Codes are matched by their path (case
/// ignored), document variables by name and type; everything else is added
/// as new, so merging one project twice doubles it. Code sets, set memos
/// and the project memo stay out.
///
/// Every write of one merge is one transaction of the target store, new
/// variables included: a failure rolls memory and file back. The source is
/// never written. UI thread only.
class ProjectMerge : public IProjectMergeService {
public:
    /// Rewrites the object references of a model byte image through a key
    /// map (topic, key → key, 0 for none); false for a damaged image. The
    /// model editor's subsystem registers it; without one no stored model
    /// is merged.
    using ModelReferenceMapper =
        std::function<bool(SerialBuffer& image, const std::function<qint32(qint32, qint32)>& map)>;

    void SetModelReferenceMapper(ModelReferenceMapper mapper) { m_modelMapper = std::move(mapper); }

    std::unique_ptr<MergeSource> OpenSource(CKorDoc& doc, const QString& path, QString& error) override;
    bool MergeProject(CKorDoc& doc, MergeSource& source, bool replaceCodeMemos, QString& error) override;

private:
    ModelReferenceMapper m_modelMapper;
};
