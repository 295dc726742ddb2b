#pragma once

#include <QString>

#include <memory>

class CKorDoc;
class ProjectDataEngine;

/// @short Another project, opened to be merged into the open one. It is
/// read from a private copy (converted or upgraded there when it is old),
/// so the user's file is never written; the copy goes with this object.
class MergeSource {
public:
    virtual ~MergeSource() = default;
    /// The engine of the private copy.
    virtual ProjectDataEngine& GetEngine() = 0;
};

/// @short What the project document asks of the project merge.
///
/// The merge lives above the document (exchange/), so the document
/// declares the calls it needs and the merge registers itself through
/// CKorDoc::SetMergeService at start-up. UI thread only.
class IProjectMergeService {
public:
    virtual ~IProjectMergeService() = default;

    /// Opens the project at path as a merge source and reads all of it,
    /// blobs included. Null, with the reason for the user in error (empty
    /// when the reason was shown already), for a file that is no project,
    /// an exchange file, one in use, a damaged one or one of a newer format.
    virtual std::unique_ptr<MergeSource> OpenSource(CKorDoc& doc, const QString& path, QString& error) = 0;
    /// Adds the whole source to the open project in one transaction: true
    /// once committed; false, with the reason in error, when anything
    /// failed, and then memory and file are as they were before.
    virtual bool MergeProject(CKorDoc& doc, MergeSource& source, bool replaceCodeMemos, QString& error) = 0;
};
