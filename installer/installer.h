#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "installer/product.h"

namespace codeburg {

class InstallerHost;
class Registry;

// Where the installer puts what is not the product's files.
struct InstallerPlaces {
    std::string programsDirectory;      // the usual home of targets, created when missing
    std::string applicationsDirectory;  // holds the product's shortcut folder
    std::string settingsFile;           // the main program's per-user settings file
    std::string homeDirectory;          // never deleted by the uninstall
};

// Installs the product into a target directory and uninstalls it again,
// without any window: questions and messages go to the host. The registry
// and host are not owned and must outlive the installer.
class Installer {
public:
    // Refused: the target folder holds files of the user's and the host did
    // not agree to install among them (unattended, it never does).
    enum class Result { Done, Failed, NothingDone, Refused };

    Installer(Product product, Registry& registry, InstallerHost& host, InstallerPlaces places);

    const Product& product() const { return m_product; }

    // Copies the listed files, writes the uninstall entry (with the lists of
    // the files and shortcuts made) and the shortcuts, reports the outcome
    // and starts the main program when "launch" is set. An empty target does
    // nothing; a non-empty one that does not already hold the product is
    // used only when the host agrees. A copy that fails leaves no file of
    // this installation behind, no entry and no shortcut; files are never
    // written through a link nor outside the target.
    Result Install(std::string_view target, bool launch);

    // Removes what Install made for the product "key": the files and
    // shortcuts it listed, the entry, the settings, then the installed folder
    // and the shortcut folder only when nothing else is left in them.
    // "executable" is the running uninstaller. NothingDone when no entry
    // exists.
    Result Uninstall(std::string_view key, std::string_view executable);

    // The key after "-u:" anywhere in the command line, or nothing.
    static bool UninstallKeyFromCommandLine(std::string_view commandLine, std::string* key);

    // The uninstall path guard: false for "/", paths of three characters or
    // fewer, the home directory and any folder holding it.
    bool MayDeleteContentsOf(const std::string& directory) const;

private:
    bool copyFiles(const std::string& target, std::string& why);
    // Whether the uninstall entry of this product names "target".
    bool holdsProduct(const std::string& target) const;
    void writeUninstallEntry(const std::string& target, const std::vector<std::string>& shortcuts);
    std::vector<std::string> createShortcuts(const std::string& target);

    Product m_product;
    Registry& m_registry;
    InstallerHost& m_host;
    InstallerPlaces m_places;
};

// The installer's own texts.
extern const char kInstallErrorText[];
extern const char kInstallDoneText[];    // "%s" = product name
extern const char kUninstallDoneText[];  // "%s" twice = product name
extern const char kDontAcceptText[];
extern const char kBrowseTitle[];
extern const char kNotEmptyText[];         // "%s" = target folder, then product name
extern const char kInstalledFilesValue[];  // uninstall entry: the files, one a line
extern const char kShortcutsValue[];       // uninstall entry: the shortcuts made

}  // namespace codeburg
