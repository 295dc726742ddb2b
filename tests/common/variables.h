#pragma once

// User variables made for tests of conditions and typologies.

#include "store/fielddescriptor.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

namespace testutil {

/// Adds a user variable to the topic; its field id, 0 when it failed.
inline qint32 AddVariable(TopicDatabase& db, qint32 topic, const QString& name, qint32 type, qint32 categorial = 0)
{
    FieldDescriptor field;
    field.Name = name;
    field.Type = type;
    field.State = FieldState::UserVariable;
    field.Categorial = categorial;
    return db.AddField(topic, field) ? field.ID : 0;
}

}  // namespace testutil
