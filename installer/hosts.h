#pragma once

#include <string>

#include "installer/installer.h"
#include "installer/installer_host.h"

namespace codeburg {

// Answers with message boxes and the platform's folder chooser.
class DialogHost final : public InstallerHost {
public:
    void showMessage(const std::string& text, const std::string& caption, Icon icon) override;
    bool askYesNo(const std::string& text, const std::string& caption) override;
    std::string browseForDirectory(const std::string& title) override;
    bool startDetached(const std::string& program, const std::string& workingDirectory) override;
};

// The unattended mode: messages go to standard output, questions are shown
// there and declined.
class ConsoleHost final : public InstallerHost {
public:
    void showMessage(const std::string& text, const std::string& caption, Icon icon) override;
    bool askYesNo(const std::string& text, const std::string& caption) override;
    std::string browseForDirectory(const std::string& title) override;
    bool startDetached(const std::string& program, const std::string& workingDirectory) override;
};

// The current user's folders: "~/.local/opt" (or "/opt" for the
// administrator), the applications folder and the settings file that the
// main program keeps under the company "halcyon" and the product "key".
InstallerPlaces UserPlaces(const std::string& key);

}  // namespace codeburg
