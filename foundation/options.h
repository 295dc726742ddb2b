#pragma once

#include "foundation/propertylist.h"

class QIODevice;

/// The program options, built by BuildOptionDefinitions in this order and
/// written in it: "qda" (general), "dictio" (dictionary module), "maps"
/// (model editor), "prnexp" (printing and export).
extern CPropertyList g_qdaOptions;
extern CPropertyList g_dictioOptions;
extern CPropertyList g_mapsOptions;
extern CPropertyList g_prnexpOptions;

/// Builds every option with caption, type, range, items and default, loads
/// the options file over the defaults and applies the word separators. The
/// sets are not modified afterwards. Needs the language table for captions.
void BuildOptionDefinitions();

/// Reads g_program.OptionsFilePath over the current values: what the file
/// holds in a usable form, the current values for the rest. False when
/// there is no file or it has no root "KORVAN".
bool LoadOptionsFile();

/// Writes the four sets to g_program.OptionsFilePath as UTF-8 with a byte
/// order mark, through a temporary file renamed into place. False, with the
/// reason in error, when the file could not be written; the old file then
/// stays. True without a path (no options file in use).
bool SaveOptionsFile(QString* error = nullptr);

/// The characters of dictio 2, with line feed, carriage return, tab and
/// vertical tab appended when withControls is set.
QString GetWordSeparators(bool withControls);
/// Drops blanks from dictio 2 and makes it the program-wide separator set.
void ApplyWordSeparators();
/// The blank, or a character of the program-wide separator set.
bool IsWordSeparator(QChar c);

/// True when the next two bytes are the UTF-16LE mark FF FE, which stay
/// read; otherwise the device is set back to its start.
bool HasUtf16Bom(QIODevice& file);
