#pragma once

// Printing: the print dialog the program asks through, the page frame every
// print-out shares (margins, header and footer), and the engine that prints
// a rich text under that frame.

#include "platform/rtf/richeditctrlex.h"

#include <QFont>
#include <QPair>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class QTextDocument;
class QWidget;

/// Shows the print dialog for the printer; false when the user cancelled.
/// The default is the platform's print dialog; tests install one that
/// prints into a PDF file or cancels.
using PrintDialogRunner = std::function<bool(QPrinter& printer, QWidget* parent)>;
/// Installs a runner (an empty one brings the default back) and answers
/// the one installed before.
PrintDialogRunner SetPrintDialogRunner(PrintDialogRunner runner);
/// Asks the installed runner.
bool RunPrintDialog(QPrinter& printer, QWidget* parent);

/// The title of the project's print-outs, made from the project file's path.
QString PrintTitle(const QString& projectPath);

/// The current date as the print headers show it (date only, the user's
/// locale).
QString PrintDateText();

/// @short The frame of a printed page: margins of 15 mm at the top and the
/// right, 25 mm at the bottom and 10 mm at the left, a header line with
/// the title and the date, a footer line with the page number; the user's
/// own header and footer texts come from the print options.
struct PrintPageFrame {
    QRect page;             ///< the whole page, device pixels
    QRect content;          ///< the page less the margins
    int pixelsPerMm = 1;
    int top = 0, bottom = 0, left = 0, right = 0;   ///< margins, device pixels
    QFont headerFont;

    /// Measures the printer's page and makes the header font.
    void SetUp(QPrinter& printer);
    /// Where the texts of header and footer stand (0 left, 1 centre, 2
    /// right), given whether the user's texts are set and their places:
    /// without them the title goes left, the date right and the page
    /// number in the centre; a user text moves the one it would cover.
    struct Places {
        int title = 0;
        int date = 2;
        int number = 1;
    };
    static Places PlacesFor(bool headerText, int headerAlignment, bool footerText, int footerAlignment);
    /// Header and footer of one page (1-based number).
    void DrawHeaderFooter(QPainter& painter, const QString& title, const QString& date, int pageNumber) const;
};

/// @short Prints a rich text: the engine holds its own hidden rich edit,
/// which the caller fills (or hands a control to copy from), and prints it
/// page by page under a header of title and date after the print dialog.
class CPrintEngine {
public:
    CPrintEngine(QString title, QString dateText, QWidget* parent = nullptr);
    ~CPrintEngine();
    CPrintEngine(const CPrintEngine&) = delete;
    CPrintEngine& operator=(const CPrintEngine&) = delete;

    /// The text to print.
    CRichEditCtrlEx& RichEdit() { return m_edit; }
    /// Copies the source's text into the engine's first (when given), then
    /// prints after the print dialog. False when the dialog was cancelled
    /// or the printer could not be started.
    bool Print(CRichEditCtrlEx* source = nullptr);
    /// The pages printed by the last Print.
    int PagesPrinted() const { return m_pagesPrinted; }

private:
    QString m_title;
    QString m_dateText;
    QWidget* m_parent;
    CRichEditCtrlEx m_edit;
    int m_pagesPrinted = 0;
};

/// Lays a copy of the text out for the printer, pages of the content
/// rectangle's size; the caller owns the copy.
std::unique_ptr<QTextDocument> LayoutForPrinter(const QTextDocument& source, QPrinter& printer, const QSizeF& pageSize);
/// Draws page `index` (0-based) of a document laid out by LayoutForPrinter
/// into the rectangle.
void DrawDocumentPage(QPainter& painter, QTextDocument& laidOut, int index, const QRect& target);
/// The 0-based pages to print of `count` after the dialog's page range.
QPair<int, int> PrintedPageRange(const QPrinter& printer, int count);
/// Readies the printer for a job named `title` and asks the print dialog;
/// false when it was cancelled.
bool ChoosePrinter(QPrinter& printer, const QString& title, QWidget* parent);
/// Prints the pages of the dialog's range out of `count`, a new sheet
/// between two: `drawPage` draws the 0-based page. The pages printed, or
/// -1 when the printer could not be started.
int PrintPages(QPrinter& printer, int count, const std::function<void(QPainter& painter, int index)>& drawPage);
