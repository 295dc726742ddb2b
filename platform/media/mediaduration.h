#pragma once

#include <QString>

/// The duration of a media file in milliseconds, read by a short-lived
/// player; 0 when the file is empty, cannot be played or reports no
/// duration within `timeoutMs`. Runs a local event loop (the player answers
/// asynchronously); GUI thread only.
qint64 ProbeMediaDuration(const QString& path, int timeoutMs = 10000);
