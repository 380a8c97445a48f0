#pragma once

#include <optional>
#include <string>

#include "city/hud_text.h"

namespace codeburg {

// What the control strip asks of the 3D city pane. The city pane implements
// it; without one (no 3D view) the strip's requests go nowhere.
class CityViewInterface {
public:
    virtual ~CityViewInterface() = default;

    // A class filter with an empty "className" highlights the methods
    // without a class. Empty texts mean "none".
    virtual void SetFilter(FilterKind kind, const std::string& fileName,
                           const std::string& className, const std::string& methodName) = 0;
    // The camera as viewpoint text; nothing when there is none (fly-over).
    virtual std::optional<std::string> CurrentViewpoint() const = 0;
    virtual void MoveToViewpoint(const std::string& viewpoint) = 0;
    virtual bool IsInitialised() const = 0;
    virtual void ShowMap() = 0;
};

}  // namespace codeburg
