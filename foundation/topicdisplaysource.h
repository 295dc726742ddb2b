#pragma once

#include <QString>

/// @short What the foundation needs of the project's topic database: the
/// display text of a row. The store implements it; foundation code only
/// holds a pointer, so it never reaches up into the store.
class TopicDisplaySource {
public:
    virtual ~TopicDisplaySource() = default;
    /// The short (template 1) or full (template 2) display text of a row;
    /// empty when the row is absent.
    virtual QString FormatRowDisplay(qint32 topic, qint32 key, bool full) const = 0;
};
