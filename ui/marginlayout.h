#pragma once

// Lays the margins' data out against the text beside them: the owner calls
// these after every scroll, resize, zoom or text change. Only what meets
// the visible part of the text is measured; everything else is marked not
// visible, so the cost follows the window, not the document.
//
// Positions in: rich-edit positions of the text control. Pixels out: the
// text's viewport coordinates (a margin whose top lines up with the
// viewport's top uses them as they are).

#include "ui/chartwndc.h"
#include "ui/chartwnde.h"

#include <QList>

class CRichEditWnd;

/// The rich-edit range [first, last] of the characters that lie in the
/// viewport, whole or in part.
struct VisibleRange {
    int first = 0;
    int last = -1;
};
VisibleRange VisibleTextRange(const CRichEditWnd& text);

/// Top and bottom (exclusive) of the line that holds the character at a
/// rich-edit position, in viewport coordinates.
QPair<int, int> LineExtentAt(const CRichEditWnd& text, int position);

/// Lanes for overlapping codings: each stripe takes the lowest lane (from 1)
/// that no earlier-starting stripe still holds; label lanes follow. Returns
/// the number of lanes.
int AssignLanes(QList<StripeRecord>& stripes);

/// Top and bottom y of every stripe that meets the viewport; others become
/// not visible. The label sits at the bar's middle.
void LayoutStripes(const CRichEditWnd& text, QList<StripeRecord>& stripes);

/// The icon top of every memo in view, on the line of its position; memos
/// of one paragraph take columns 0, 1, ... in list order.
void LayoutMemos(const CRichEditWnd& text, QList<MemoMark>& memos);

/// The paragraph tables of the paragraph margin: characters of every
/// paragraph (pairs of first, end), positions (pairs of top, bottom) filled
/// for the paragraphs in view, whose slots run from firstSlot to lastSlot
/// (lastSlot < firstSlot when none is in view).
struct ParagraphTables {
    QList<quint32> characters;
    QList<qint32> positions;
    int firstSlot = 0;
    int lastSlot = -1;
};
/// Characters change with the text only; call it after loading or editing.
void FillParagraphCharacters(const CRichEditWnd& text, ParagraphTables& tables);
void LayoutParagraphs(const CRichEditWnd& text, ParagraphTables& tables);
