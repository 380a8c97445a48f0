#pragma once

#include <QIcon>

namespace codeburg {

// The tree's five 16x16 images: 0 workspace, 1 folder, 2 project,
// 3 project setting, 4 total. Drawn once, then shared.
QIcon TreeIcon(int index);

}  // namespace codeburg
