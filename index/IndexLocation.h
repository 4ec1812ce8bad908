#pragma once

#include <QString>

namespace IndexLocation {

// The index file of the archive at `root` in the per-user cache folder: one per archive,
// named after a hash of the root's canonical path, so that two archives never share one and a
// root named in two ways finds the same.
QString fileFor(const QString& root);

}  // namespace IndexLocation
