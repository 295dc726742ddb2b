#pragma once

// Drawing of a model without a widget: label layout, the objects and links,
// the grid and selection marks, the whole scene in the canvas's order, and
// the picture exports. The screen, picture export, SVG and printer all paint
// through these on a QPainter set up with the model transform.

#include "visual/modelobject.h"
#include "visual/modellink.h"

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <vector>

class ModelerCanvasCore;
class QImage;
class QPainter;
struct ModelContent;

/// @short Measures label texts for the layout step.
///
/// The default measures with the font family at a pixel size through Qt's
/// font metrics (families the machine lacks are substituted). Tests install
/// their own to get sizes that do not depend on the fonts. UI thread only.
class ModelTextMeasurer {
public:
    virtual ~ModelTextMeasurer() = default;
    /// Width of the widest line and height of all lines; lines are separated
    /// by "\r\n". An empty text measures (0, 0).
    virtual QSizeF Measure(const QString& text, const QString& family, float pixelSize) const;
};

/// The measurer in use.
const ModelTextMeasurer& GetTextMeasurer();
/// Installs a measurer (not owned; nullptr restores the default) and returns
/// the one installed before.
const ModelTextMeasurer* SetTextMeasurer(const ModelTextMeasurer* measurer);

/// The regular font of a family at a pixel size.
QFont ModelFont(const QString& family, float pixelSize);

/// The label wrapped to `maxWidth` (lines joined by "\r\n"); a single word
/// wider than the maximum keeps a line of its own.
QString WrapLabel(const QString& label, const QString& family, float pixelSize, float maxWidth);

/// Places the object's label and computes its bounds; clears NeedsLayout.
void LayoutObject(ModelObject& object);
/// Lays out every object whose NeedsLayout is set.
void LayoutModel(ModelContent& model);

/// Shadow size of an object: one ninth of its symbol width.
inline float ShadowSize(const ModelObject& object)
{
    return object.Rect.width / 9.0f;
}

/// Draws one object (frame, label, picture or shape) in model coordinates.
void DrawModelObject(QPainter& painter, const ModelObject& object);
/// Draws one link between its two end points in model coordinates, with
/// its arrow heads, dash style and label.
void DrawModelLink(QPainter& painter, const ModelLink& link, const QPointF& source, const QPointF& target);
/// A filled triangle with its tip at `tip`, pointing away from `from`:
/// `length` along the line, `width` across it.
void DrawArrowHead(QPainter& painter, const QPointF& from, const QPointF& tip, double length, double width);

/// @short Where a link is drawn: its end points, when both its objects
/// exist and are shown.
struct ModelLinkEnds {
    bool shown = false;
    QPointF source;
    QPointF target;
};

/// The end points of every link (index for index), for painting a model
/// that has not changed more than once.
std::vector<ModelLinkEnds> ComputeLinkEnds(const ModelerCanvasCore& canvas);

/// @short What the canvas draws over the model besides the model itself.
struct ModelSceneState {
    bool grid = false;            ///< the grid is shown (option and canvas flag)
    bool linkMode = false;        ///< marks selected objects one by one
    qint32 fixedObject = -1;      ///< link mode: the fixed end's object index
    qint32 pointerObject = -1;    ///< link mode: the object under the pointer
    QPointF pointer;              ///< link mode: the pointer in window pixels
    qint32 movedLink = -1;        ///< link whose end is being moved; -1 a new link
    qint32 movedEnd = 1;          ///< 1 the target end moves, 0 the source end
    qint32 newLinkArrows = 0;     ///< Arrows of a new link
    /// End points worked out before for this model; null to work them out.
    const std::vector<ModelLinkEnds>* linkEnds = nullptr;
    /// Leaves out the selection, its marks and the links of selected
    /// objects: the still part of the scene while the selection moves.
    bool withoutSelection = false;
};

/// Paints the whole scene into a window of `viewport` pixels in the
/// canvas's order: white, the background picture, the grid, the selection
/// marks, the objects of shown layers, the links between shown objects and
/// the preview line. Objects and links outside the window are skipped.
/// Lays out objects that need it. With `area` (window pixels) only that
/// part of the window is painted.
void PaintModelScene(QPainter& painter, ModelerCanvasCore& canvas, QSize viewport, const ModelSceneState& state,
                     const QRect& area = QRect());

/// What PaintModelScene leaves out with withoutSelection, painted over
/// the still part: the selection marks, the selected objects and their
/// links. While it moves, the selection is thus drawn above the rest.
void PaintMovingSelection(QPainter& painter, ModelerCanvasCore& canvas, const ModelSceneState& state);

/// The line from the fixed object to the pointer while a link is drawn or
/// a link's end is moved, in model coordinates.
void DrawPreviewLine(QPainter& painter, const ModelerCanvasCore& canvas, const ModelSceneState& state);

/// One device pixel per grid point of the window; the painter in model
/// coordinates.
void DrawGrid(QPainter& painter, const ModelerCanvasCore& canvas, float spacing, QSize viewport);
/// Selection marks in model coordinates: each selected object, or the box
/// around the selection with its corner squares, resize handle and geo
/// marker.
void DrawSelectionMarks(QPainter& painter, const ModelerCanvasCore& canvas, bool asBox);

/// Fits the whole model, centred, into a device rectangle (printing).
/// False, nothing drawn, when the model's bounds are empty.
bool DrawModelInto(QPainter& painter, ModelerCanvasCore& canvas, const QRectF& target);

/// Picture formats of the model export.
enum class ModelPictureFormat { Jpeg, Bmp, Svg };

/// The export's format for a chosen file name: its extension when it is
/// "jpg", "bmp" or "svg" (any case); otherwise the filter entry's format
/// (1 JPEG, 2 BMP, 3 SVG, others JPEG), whose extension is then appended.
ModelPictureFormat ExportFormatForName(QString& path, int filterEntry);

/// The factor the export draws at: 5, lowered for a model whose picture
/// would pass kMaxExportPixels.
double ExportFactor(const ModelRect& bounds);
inline constexpr double kExportFactor = 5.0;
inline constexpr double kMaxExportPixels = 100e6;

/// The model drawn at `factor` on white, its bounds filling the picture;
/// a null picture for an empty model. Lays out objects that need it.
QImage RenderModelPicture(ModelerCanvasCore& canvas, double factor);

/// What an export came to.
enum class ModelExportResult { Written, EmptyModel, WriteFailed };

/// Writes the model as a picture: JPEG at quality 100 or BMP through a
/// temporary file renamed into place, or SVG. An empty model writes
/// nothing; a failed write leaves an existing file as it was.
ModelExportResult ExportModelPicture(ModelerCanvasCore& canvas, const QString& path, ModelPictureFormat format);
