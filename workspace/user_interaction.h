#pragma once

#include <optional>
#include <string>

namespace codeburg {

// The questions and messages the core may put to the user. The GUI answers
// with message boxes and the folder chooser, the command line on the terminal
// or with fixed answers, tests with scripted ones.
class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    // A full directory path, or nothing when the user cancels.
    virtual std::optional<std::string> BrowseForDirectory(const std::string& prompt,
                                                          const std::string& initial) = 0;
};

}  // namespace codeburg
