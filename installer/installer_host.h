#pragma once

#include <string>

namespace codeburg {

// What the installer asks of its surroundings: message boxes, the folder
// browser and starting a program. The pages answer with real dialogs, the
// unattended mode with standard output, tests with recorded answers.
class InstallerHost {
public:
    enum class Icon { Information, Exclamation, Question };

    virtual ~InstallerHost() = default;

    // Texts arrive exactly as written, "\r\n" line breaks included.
    virtual void showMessage(const std::string& text, const std::string& caption, Icon icon) = 0;
    // True for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
    // A chosen existing directory, or empty when the user cancels.
    virtual std::string browseForDirectory(const std::string& title) = 0;
    // Starts the program without arguments and does not wait for it.
    virtual bool startDetached(const std::string& program, const std::string& workingDirectory) = 0;
};

}  // namespace codeburg
