#pragma once

#include <optional>
#include <string>

namespace codeburg {

// What the control strip asks of the 3D city pane. The city pane implements
// it; without one (no 3D view) the strip's requests go nowhere.
class CityViewInterface {
public:
    virtual ~CityViewInterface() = default;

    // kind 0 no highlight, 1 a file, 2 a class (or methods without a class
    // when "className" is empty), 3 one method. Empty texts mean "none".
    virtual void SetFilter(int kind, const std::string& fileName, const std::string& className,
                           const std::string& methodName) = 0;
    // The camera as viewpoint text; nothing when there is none (fly-over).
    virtual std::optional<std::string> CurrentViewpoint() const = 0;
    virtual void MoveToViewpoint(const std::string& viewpoint) = 0;
    virtual bool IsInitialised() const = 0;
    virtual void ShowMap() = 0;
};

}  // namespace codeburg
