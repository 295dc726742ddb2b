#include "store/topicdatabase.h"

// Bookkeeping before a row goes, by topic. Topics whose rows are counted
// elsewhere or paired with partner rows add their case here; every other
// topic needs none.
bool TopicDatabase::PrepareDelete(qint32 topic, qint32 key, QList<ObjectRef>& changed)
{
    Q_UNUSED(topic);
    Q_UNUSED(key);
    Q_UNUSED(changed);
    return true;
}
