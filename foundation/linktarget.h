#pragma once

#include <QByteArray>
#include <QString>

/// The stored target of a link to a file or an address: UTF-16 text in the
/// blob, or 8-bit (UTF-8) text written by older versions; trailing NULs
/// dropped.
QString LinkTargetText(const QByteArray& text);
