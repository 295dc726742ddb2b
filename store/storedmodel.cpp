#include "store/storedmodel.h"

#include "foundation/stringstore.h"

StoredModel::StoredModel()
    : Name(g_pStringStore->GetString(StoreText::DefaultModelName))
{
}
