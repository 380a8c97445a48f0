#include "gui/product_name.h"

namespace codeburg {

QString ProductName()
{
    return QStringLiteral("Codeburg 1.0");
}

}  // namespace codeburg
