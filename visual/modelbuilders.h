#pragma once

#include <QList>
#include <QPointF>

class CKorDoc;
class ModelerCanvas;
class ModelKindSettings;

/// @short The builders of the prepared model kinds: they read the project
/// around the dropped object and lay codes, segments, memos and subcodes
/// out on rings around it, adding objects and links without snapshots (the
/// caller takes one for the whole build).
namespace ModelBuilder {

/// Builds the model of the settings' kind (1, 3, 4, 5 or 6); nothing for
/// another kind or when the dropped object is gone.
void Build(ModelerCanvas& canvas, CKorDoc& project, const ModelKindSettings& settings);

/// Line width 1..7 of a count between the smallest and largest count; 1
/// when they are equal.
qint32 LineWidth(qint32 value, qint32 lo, qint32 hi);
/// The radius that gives n objects a spacing of s: r itself when the ring
/// is long enough.
double RingRadius(double r, qint32 n, double spacing);
/// A ring point: x stretched by 1.5, y upwards.
QPointF RingPoint(double cx, double cy, double r, double theta);
/// Angles of a fan of k objects on the angle theta.
QList<double> FanAngles(double theta, qint32 k);

}  // namespace ModelBuilder
