#pragma once

#include "visual/modellayer.h"
#include "visual/modellink.h"
#include "visual/modelobject.h"

#include <vector>

class SerialBuffer;

/// @short Everything a model byte image holds: the header values and the
/// object, link and layer arrays.
///
/// The view is the model translated by the origin and scaled by Scale:
/// device = (model + origin) × Scale. Objects are in stacking order (index
/// 0 drawn first; a background picture is at index 0). Layer 0 is always
/// the first layer.
struct ModelContent {
    qint32 LastObjectId = 0;
    qint32 LastGroupId = 0;
    qint32 LastLayerId = 0;
    qint32 CurrentLayer = 0;
    float Scale = 1.0f;
    float OriginX = 0;
    float OriginY = 0;
    std::vector<ModelObject> Objects;
    std::vector<ModelLink> Links;
    std::vector<ModelLayer> Layers;

    /// An empty model at scale 1.0 and origin (0, 0) with layer 0 alone
    /// (named by the language table, visible).
    ModelContent();
    void Reset() { *this = ModelContent(); }
};

/// Writes the image: the mark, the header, the objects, the links and
/// layers 1 .. n - 1, in UTF-16, zero-padded to a multiple of 16 bytes.
/// The target's old bytes are replaced and it is left in UTF-16 mode.
/// False, target unchanged, when the image would be too large.
bool WriteModelImage(const ModelContent& model, SerialBuffer& target);

/// Reads an image (with or without the mark; strings in the buffer's
/// mode) into `model`. An empty buffer reads as an empty model. A damaged
/// image — cut short, a negative length, a count that the bytes left
/// cannot hold, a number that is not finite, or anything but zero bytes
/// after the last layer — is refused: false, and `model` is unchanged.
/// A scale outside 0.4..10 is brought into it. Pictures are not loaded.
bool ReadModelImage(SerialBuffer& source, ModelContent& model);
