#pragma once

#include <string>
#include <string_view>

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
    enum class Result { Done, Failed, NothingDone };

    Installer(Product product, Registry& registry, InstallerHost& host, InstallerPlaces places);

    const Product& product() const { return m_product; }

    // Copies the listed files, writes the uninstall entry and the shortcuts,
    // reports the outcome and starts the main program when "launch" is set.
    // An empty target does nothing.
    Result Install(std::string_view target, bool launch);

    // Removes what Install made for the product "key". "executable" is the
    // running uninstaller, removed last with its directory when it lies in
    // the installed directory. NothingDone when no entry exists.
    Result Uninstall(std::string_view key, std::string_view executable);

    // The key after "-u:" anywhere in the command line, or nothing.
    static bool UninstallKeyFromCommandLine(std::string_view commandLine, std::string* key);

    // The uninstall path guard: false for "/", paths of three characters or
    // fewer, the home directory and any folder holding it.
    bool MayDeleteContentsOf(const std::string& directory) const;

private:
    bool copyFiles(const std::string& target);
    void writeUninstallEntry(const std::string& target);
    void createShortcuts(const std::string& target);
    void deleteContents(const std::string& directory);

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

}  // namespace codeburg
