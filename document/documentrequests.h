#pragma once

class CKorDoc;
struct NotifyHead;

/// Answers the request records that the project document answers alone
/// (rows, fields, item texts and changes, settings, change notices and
/// deletions) in place. False for a code that needs a window (context
/// menus, following, opening, drops): the record is then left as it was.
/// The caller makes sure a project is open.
bool AnswerDocumentRequest(CKorDoc& document, NotifyHead& record);
