#pragma once

// The generated model of the model editor's benchmarks: 2,000 objects and
// 5,000 links.

#include "visual/modelimage.h"

#include <random>

namespace {

constexpr int kObjects = 2000;
constexpr int kLinks = 5000;

// Every shape, short labels, some shadows, label boxes and link labels;
// objects on a grid, so that a point beyond it misses everything.
ModelContent GenerateModel()
{
    std::mt19937 rng(2000);
    ModelContent model;
    for (int i = 0; i < kObjects; ++i) {
        ModelObject o;
        o.Id = i + 1;
        o.Shape = i % 14;
        o.Label = QStringLiteral("Object %1").arg(i + 1);
        o.Rect = {float(i % 50) * 80, float(i / 50) * 80, 30 + float(rng() % 30), 30 + float(rng() % 30)};
        o.Bounds = {o.Rect.x - 5, o.Rect.y - 2, o.Rect.width + 10, o.Rect.height + 20};
        o.LabelRect = {o.Rect.x - 5, o.Rect.Bottom() + 2, o.Rect.width + 10, 14};
        o.SymbolShadow = i % 5 == 0;
        o.LabelBox = i % 7 == 0;
        o.LabelShadow = i % 11 == 0;
        o.RefTopic = i % 3 == 0 ? 8 : 0;
        o.RefId = i;
        o.NeedsLayout = false;
        model.Objects.push_back(std::move(o));
    }
    for (int i = 0; i < kLinks; ++i) {
        ModelLink l;
        l.SourceId = 1 + int(rng() % kObjects);
        l.TargetId = 1 + int(rng() % kObjects);
        l.Label = i % 4 == 0 ? QStringLiteral("rel %1").arg(i) : QString();
        l.Arrows = i % 4;
        model.Links.push_back(std::move(l));
    }
    model.LastObjectId = kObjects;
    return model;
}

}  // namespace
