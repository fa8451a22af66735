#pragma once

#include <QString>

namespace tavlex {

// Deletes the temporary album bodies "Tavlex_0.TMP" .. "Tavlex_30.TMP" in tempFolder, also those
// an earlier run left behind. A body still held open by another viewer (its lock is taken) is
// left alone; any other failure is ignored and the next name is tried. Other files stay.
void DeleteTemporaryBodies(const QString& tempFolder);

}  // namespace tavlex
