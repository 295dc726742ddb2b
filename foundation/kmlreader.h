#pragma once

// The first geographic place of a KML file, so that a document or a model
// object can be linked to it.

#include <QString>

/// The place's name, then CR and its coordinates (a placemark) or address (a
/// network link); the name alone when it has neither; empty when the file
/// holds no place. Looked for in this order: the first "Placemark" of the
/// first "Document", else the first "NetworkLink", else the first
/// "Placemark" directly under "kml". Texts are passed on as the file holds
/// them. A file that cannot be read, is damaged or is no KML file gives an
/// empty text and, in error, a message for the user (else error is emptied).
QString ReadKmlPlacemark(const QString& path, QString* error = nullptr);
