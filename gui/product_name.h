#pragma once

#include <QString>

namespace codeburg {

// The product's name and version: the frame's title and the heading of the
// decorated dialogs.
QString ProductName();

}  // namespace codeburg
