#pragma once

// Named numbers of the foundation.

/// Text ids of the language table (resources/strings).
namespace FoundationText {
constexpr int kColumn = 102299;           // the word of default column labels
constexpr int kXlsNeedsOffice = 190101;   // ".xls" without LibreOffice; offers ".xlsx"
}  // namespace FoundationText
