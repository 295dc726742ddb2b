#pragma once

// Named ids of the exchange subsystem: the texts of the project merge.

namespace MergeText {
enum : int {
    ReplaceCodeMemosQuestion = 19,  ///< Yes: memos of merged codes replace existing ones
    Waiting = 57783,
    ExchangeFile = 194802,  ///< "%1" the file
    Damaged = 194803,       ///< "%1" the file, "%2" the reason
    WriteFailed = 194804,   ///< "%1" the file, "%2" the reason
};
}
