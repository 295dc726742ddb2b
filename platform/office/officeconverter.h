#pragma once

#include <QString>
#include <QStringList>

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

/// Converts every source in one LibreOffice run (LibreOffice starts once,
/// which costs most of the time of a conversion) into `outputFolder`.
/// `outputPaths` gets one entry per source: the new file, or empty where
/// that source could not be converted. Sources must differ in their names
/// without extension, since each output is named after its source. The
/// result is Converted when LibreOffice ran (check each output), else as
/// ConvertWithOffice; `error` names the sources that were not converted.
OfficeConvertResult ConvertManyWithOffice(const QStringList& sources, const QString& format,
                                          const QString& outputFolder, QStringList& outputPaths,
                                          QString& error, int timeoutMs = 180000);
