#pragma once

// The program's help: HTML pages shipped beside the program and opened in
// the desktop's browser.
//
// Layout: <program folder>Manuals/<language code>/<book>_<language code>/
// with "index.html" as the start page and "topic<id>.html" per help topic.

#include <QString>

/// The help books.
enum class HelpKind : int {
    Program = 1,      ///< "kv10"
    Mapping = 2,      ///< "do10zado"
    Dictionary = 3,   ///< "kv10dictio"
};

/// The start page of a help book in the language (code such as "ENG"),
/// whether or not it exists; empty for an unknown kind.
QString HelpStartPage(int kind, const QString& languageCode);

/// Opens the topic (0: the start page; a topic without a page of its own
/// also opens the start page) of the book in the current interface
/// language, else in English. 1 when a page was handed to the browser; 0
/// for an unknown kind, a missing book or a browser that could not be
/// started, after telling the user through the message service.
int ShowHelpTopic(int kind, int topicId);
