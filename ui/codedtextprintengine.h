#pragma once

#include "foundation/colorhelpers.h"
#include "ui/printengine.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class QTextDocument;

/// @short What the coded-text print engine prints: the shown document's text
/// and, in its rich-edit positions, the paragraphs, the codings and the
/// memos anchored in it.
struct CodedTextPrintSource {
    struct Coding {
        int start = 0;        ///< first coded position
        int finish = 0;       ///< the position after the last
        int lane = 1;         ///< 1-based, counted from the text
        COLORREF colour = 0;
        QString label;        ///< the code's name
    };
    const QTextDocument* text = nullptr;
    /// A rich-edit position as a position of `text`; the identity when
    /// not given.
    std::function<int(int)> toDocument;
    QList<int> paragraphStarts;   ///< paragraph n starts at index n - 1
    QList<Coding> codings;        ///< the shown ones only
    int laneCount = 0;
    QList<int> memoPositions;
    QString title;
};

/// @short Prints a coded document page by page as the browser shows it: the
/// text at the right, paragraph numbers in a grey column before it, and
/// with the codes a column of memo markers and a column of coloured bars,
/// one per coding, labelled with the code's name. Margins, header and
/// footer as every print-out has them (PrintPageFrame), with the
/// document's title in the header.
class CCodedTextPrintEngine {
public:
    /// One bar of a page, device pixels.
    struct Bar {
        int index = 0;        ///< of the coding in the source
        int top = 0;
        int bottom = 0;
        int lane = 1;
        int labelY = 0;
        int labelLane = 1;
        COLORREF colour = 0;
        int flags = 0;        ///< 2: starts on the page, 4: ends on it
    };
    /// The columns of a page, device pixels.
    struct Columns {
        QRect codes;
        QRect memos;
        QRect numbers;
        QRect text;
        int laneWidth = 0;
        int numberHeight = 0;
    };

    CCodedTextPrintEngine(CodedTextPrintSource source, bool showCodes, QWidget* parent = nullptr);

    /// Prints after the print dialog; false when there is no text, the
    /// dialog was cancelled or the printer could not be started.
    bool Print();
    int PagesPrinted() const { return m_pagesPrinted; }
    /// The columns of the last print and the bars of each page it printed
    /// (by 0-based page index).
    const Columns& PrintedColumns() const { return m_columns; }
    const QHash<int, QList<Bar>>& PrintedBars() const { return m_printedBars; }

    /// The number of decimal digits of the paragraph count, at least 1.
    static int NumberDigits(int paragraphCount);
    /// Moves labels apart that stand closer than `rowHeight`, then gives
    /// each bar the label lane it needs to pass the bars beside its label.
    static void SeparateLabels(QList<Bar>& bars, int rowHeight);

private:
    CodedTextPrintSource m_source;
    bool m_showCodes;
    QWidget* m_parent;
    int m_pagesPrinted = 0;
    Columns m_columns;
    QHash<int, QList<Bar>> m_printedBars;
};
