#pragma once

// A canvas window for tests: counts what the canvas core asks of it.

#include "visual/modelercanvascore.h"

namespace visualtest {

struct CanvasRecorder : IModelCanvasView {
    int redraws = 0;
    int selectionChanges = 0;
    int viewResets = 0;
    void Redraw() override { ++redraws; }
    void SelectionChanged() override { ++selectionChanges; }
    void ViewReset() override { ++viewResets; }
};

/// An object whose symbol and bounds are the rectangle, as after layout.
inline ModelObject PlacedObject(qint32 id, ModelRect rect)
{
    ModelObject o;
    o.Id = id;
    o.Rect = rect;
    o.Bounds = rect;
    o.LabelRect = rect;
    o.NeedsLayout = false;
    return o;
}

inline ModelLink LinkBetween(qint32 source, qint32 target)
{
    ModelLink l;
    l.SourceId = source;
    l.TargetId = target;
    return l;
}

}  // namespace visualtest
