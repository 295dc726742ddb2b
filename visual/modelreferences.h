#pragma once

#include <QtGlobal>

#include <functional>

class SerialBuffer;

/// The key an object of a topic has in another project; 0 when it has none.
using ModelKeyMap = std::function<qint32(qint32 topic, qint32 key)>;

/// Rewrites the project objects a stored model's byte image names through
/// map: each object standing for a project object takes the mapped key;
/// one whose object has no mapped key keeps its place and look and becomes
/// a free object. False, image unchanged, for a damaged image.
bool RemapModelReferences(SerialBuffer& image, const ModelKeyMap& map);
