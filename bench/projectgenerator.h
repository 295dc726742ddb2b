#pragma once

// A realistic large project, written through the store from the synthetic
// corpus of make-corpus.py (a folder of JSON Lines and CSV files).
//
// What goes where:
// - one document group; each file a rich-text document (its text as RTF,
//   one paragraph per line, so the corpus positions are the document's
//   positions), with name, owner as author, date, size and its counters;
// - the file attributes as document variables (text or integer columns);
// - categories and codes as one code tree (categories first, codes below
//   their category; code ids follow the categories), with colour, author,
//   date, and their memos as code memos;
// - every coding with code, extent, paragraphs, weight (100 when marked
//   important, else 0), preview, the segment as RTF, coder, date, area and
//   coverage; a coding's memo becomes a memo in the document at the
//   coding's start, linked to the coding's code.
// The corpus names no real media file, so "mediapath" is not stored.

#include <QString>

struct GeneratedCounts {
    int documents = 0;
    int categories = 0;
    int codes = 0;
    int codings = 0;
    int memos = 0;
    int variables = 0;
};

/// Writes the project file (which must not exist) from the corpus folder;
/// the file appears only when complete. False with the reason in error.
bool GenerateProject(const QString& corpusFolder, const QString& projectPath, QString* error,
                     GeneratedCounts* counts = nullptr);

/// Reads the project back against the corpus: the counts, every document's
/// text (RTF read back to plain text), and every coding's document, code,
/// extent and segment text. False with the first difference in error.
bool CheckProject(const QString& corpusFolder, const QString& projectPath, QString* error);

/// The project of the corpus at the scale, in the benchmark cache folder
/// ($KORVAN_BENCH_CACHE, else the user's cache folder + "korvan10-bench"):
/// the corpus is written by make-corpus.py and the project generated when
/// either is missing. Empty, with the reason in error, on failure.
QString BenchProject(double scale, QString* error);
