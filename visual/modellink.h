#pragma once

#include "visual/visualids.h"

#include <QString>

/// @short A line between two objects of a model, addressed by its index.
///
/// A link whose SourceId or TargetId is 0, or names no object of the
/// model, is neither drawn nor hit. Colours are ARGB.
struct ModelLink {
    qint32 Arrows = LinkArrows::None;
    QString Label;
    qint32 SourceId = 0;
    qint32 TargetId = 0;
    bool Selected = false;  ///< not stored
    float FontSize = 10.0f;
    quint32 LineColor = 0xFF000000;
    quint32 TextColor = 0xFF000000;
    quint32 LabelFillColor = 0xFFFFFFFF;
    quint32 LabelFrameColor = 0xFF00FFFF;
    bool LabelFramed = false;
    bool LabelShadow = true;
    QString FontName = QStringLiteral("Verdana");
    qint32 DashStyle = LinkDash::Solid;
    qint32 Width = 1;  ///< pixels

    void Assign(const ModelLink& source) { *this = source; }
    /// Colours, label frame and shadow, font name, dash style and width.
    void CopyStyle(const ModelLink& source);
    /// Only with a label: the font grows or shrinks by 10 a step, within
    /// 10..100.
    void LargerFont(qint32 steps);
    void SmallerFont(qint32 steps);
};
