#pragma once

// The frame's commands around conditions: logical activation of documents
// and codes by their variables, and the inter-coder agreement check.

#include "foundation/commandtarget.h"

class CMainFrame;

namespace ConditionCommand {
constexpr int ActivateDocuments = 32999;         ///< documents by their variables (Window menu)
constexpr int InterCoder = 33557;                ///< ID_MAIN_INTERCODER: the inter-coder agreement
constexpr int ActivateDocumentsContext = 20006;  ///< ID_OBJ_ACTIVATE_LOGIK: on the documents root
constexpr int ActivateCodesContext = 20174;      ///< ID_OBJ_ACTIVATECODES_LOGIK: on the code-system root
}  // namespace ConditionCommand

namespace ConditionText {
constexpr int NotCompared = 196001;
constexpr int ComparisonTitle = 102151;
constexpr int AgreementTitle = 102167;
}  // namespace ConditionText

/// The condition dialog over the variables of documents (or codes), then
/// the activation by its conditions, the status bar and, for codes, the
/// browser. Nothing without an open project or when cancelled.
void ActivateByVariables(CMainFrame& frame, bool codes);

/// The inter-coder options, then the segment comparison of the two
/// documents, shown in the comparison and agreement lists. The choices of
/// the dialog are kept while the program runs.
void RunInterCoderCheck(CMainFrame& frame);

/// The frame's route for 32999 and 33557.
bool OnConditionCommand(CMainFrame& frame, int id);
bool OnUpdateConditionCommand(CMainFrame& frame, CCmdUI& ui);
