#pragma once

// Where the viewers of the other document kinds (PDF, picture, table) plug
// into the document browser. The browser shows rich text itself; for the
// other kinds it asks the registered factory for a viewer and hands it the
// content, the view state and the questions about its selection.

#include "document/listnotifyinfo.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

/// @short A viewer of one document kind beside the rich text.
class IDocumentViewer {
public:
    virtual ~IDocumentViewer() = default;

    /// The viewer's window; owned by the viewer object.
    virtual QWidget* Widget() = 0;
    /// Shows the content (DocType kind) at the zoom with the stored view.
    virtual bool Load(const QByteArray& content, qint32 kind, double zoom, const DocumentViewState& view) = 0;
    virtual void Close() = 0;
    /// Piece `index` of the selection (a selection over pages has one piece
    /// per page), in the coding's coordinates; false when there is none.
    virtual bool GetSelection(int index, qint32& page, qint32& start, qint32& end, qint32& x1, qint32& x2,
                              qint32& isText) const = 0;
    virtual QString SelectedText() const = 0;
    /// The zoom and view values to store for the document.
    virtual void SaveView(double& zoom, DocumentViewState& view) const = 0;
    /// Prints the shown document under the title after the print dialog
    /// (`withCodes`: the answer to the question of printing the codes,
    /// which a table takes); false when nothing was printed. A viewer that
    /// cannot print keeps this answer.
    virtual bool Print(const QString& title, bool withCodes)
    {
        Q_UNUSED(title);
        Q_UNUSED(withCodes);
        return false;
    }
};

/// Makes the viewer of a kind, or null when this build has none.
using DocumentViewerFactory = std::function<std::unique_ptr<IDocumentViewer>(qint32 kind, QWidget* parent)>;
