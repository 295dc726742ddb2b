#pragma once

#include <QString>

/// The outcome of a conversion through LibreOffice.
enum class OfficeConvertResult {
    Converted,
    NotInstalled,   // no LibreOffice program on the search path
    Failed,         // it ran but made no file (or did not finish in time)
};

/// The LibreOffice program on the search path ("soffice", else
/// "libreoffice"); empty when there is none.
QString FindOfficeProgram();

/// Converts `source` with LibreOffice headless into `outputFolder`, which
/// must exist. `format` is a LibreOffice target such as "xls:MS Excel 97";
/// the text before ":" is the new extension. On success `outputPath` names
/// the new file; otherwise `error` says why.
///
/// Each call runs with a profile folder of its own, so conversions may run
/// side by side and never touch the user's LibreOffice profile. Blocks until
/// LibreOffice ends (about a second), at most `timeoutMs`.
OfficeConvertResult ConvertWithOffice(const QString& source, const QString& format,
                                      const QString& outputFolder, QString& outputPath,
                                      QString& error, int timeoutMs = 180000);
