#include "visual/modelreferences.h"

#include "foundation/serialbuffer.h"
#include "visual/modelimage.h"

bool RemapModelReferences(SerialBuffer& image, const ModelKeyMap& map)
{
    ModelContent model;
    image.Rewind();
    if (!ReadModelImage(image, model))
        return false;
    for (ModelObject& object : model.Objects) {
        if (object.RefTopic == 0)
            continue;
        const qint32 key = map(object.RefTopic, object.RefId);
        if (key == 0)
            object.RefTopic = 0;
        object.RefId = key;
    }
    SerialBuffer written;
    if (!WriteModelImage(model, written))
        return false;
    image = written;
    return true;
}
