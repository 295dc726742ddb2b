#pragma once

#include <QString>

/// @short A layer of a model. Layer 0 always exists and is never stored.
struct ModelLayer {
    qint32 Id = 0;
    QString Name;
    bool Visible = true;
};
