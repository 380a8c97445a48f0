#include "installer/installer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "installer/installer_host.h"
#include "platform/path_util.h"
#include "platform/registry.h"

namespace codeburg {

namespace fs = std::filesystem;

const char kInstallErrorText[] = "An error occured during installation.";
const char kInstallDoneText[] = "Installation complete.\r\nThanks for using %s";
const char kUninstallDoneText[] =
    "%s was successfully uninstalled.\r\nThe process will be fully completed (all files and "
    "folders deleted) the next time you boot your PC.\r\n\r\nThanks again for using %s.";
const char kDontAcceptText[] =
    "You cannot install the application if you don't accept the licence.\r\nDo you really "
    "want\tto cancel the installation ?";
const char kBrowseTitle[] = "Select an existing directory";

namespace {

// The installed copy of the installer, which the uninstall entry starts.
const char kInstallerFileName[] = "installer";

std::string Replace(std::string text, std::string_view with)
{
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, with);
    return text;
}

std::string WithSeparator(std::string directory)
{
    if (!directory.empty() && directory.back() != kPathSeparator) directory += kPathSeparator;
    return directory;
}

// A list value must name a file below the source directory: no absolute
// path and no ".." part, or a hostile list could read or overwrite any file.
bool IsPlainRelative(const std::string& value)
{
    const fs::path path(value);
    if (value.empty() || path.is_absolute()) return false;
    for (const fs::path& part : path)
        if (part == "..") return false;
    return true;
}

// The real location of a path that may not exist yet, without a trailing
// separator, so that paths compare part by part.
fs::path Resolve(std::string text, std::error_code& error)
{
    while (text.size() > 1 && text.back() == kPathSeparator) text.pop_back();
    return fs::weakly_canonical(fs::path(text), error);
}

bool IsWithin(const fs::path& path, const fs::path& directory)
{
    auto [end, unused] =
        std::mismatch(directory.begin(), directory.end(), path.begin(), path.end());
    return end == directory.end();
}

// Quoting for the command of a desktop entry, then escaping for its value.
std::string DesktopExec(const std::string& program)
{
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (char c : quoted) {
        if (c == '%')
            value += "%%";
        else if (c == '\\')
            value += "\\\\";
        else
            value += c;
    }
    return value;
}

// Escaping for a desktop entry string value.
std::string DesktopText(const std::string& text)
{
    std::string value;
    for (char c : text) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '\n')
            value += "\\n";
        else if (c == '\r')
            value += "\\r";
        else if (c == '\t')
            value += "\\t";
        else
            value += c;
    }
    return value;
}

std::string FileUrl(const std::string& path)
{
    std::string url = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::string_view("/-._~").find(c) != std::string_view::npos) {
            url += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            url += hex;
        }
    }
    return url;
}

void WriteDesktopEntry(const std::string& path, const std::string& body)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "[Desktop Entry]\n" << body;
}

}  // namespace

Installer::Installer(Product product, Registry& registry, InstallerHost& host,
                     InstallerPlaces places)
    : m_product(std::move(product)), m_registry(registry), m_host(host), m_places(std::move(places))
{
}

Installer::Result Installer::Install(std::string_view targetText, bool launch)
{
    if (targetText.empty()) return Result::NothingDone;
    std::error_code error;
    // The uninstall entry must name the folder wherever the uninstaller runs.
    std::string target(targetText);
    if (fs::path(target).is_relative()) target = (fs::current_path(error) / target).string();
    target = WithSeparator(target);
    // Only the folder of programs itself may be missing with its parents, as
    // a fresh account has no "~/.local/opt"; any other target gets one level.
    const fs::path parent = Resolve(target, error).parent_path();
    if (!m_places.programsDirectory.empty() &&
        parent == Resolve(m_places.programsDirectory, error)) {
        fs::create_directories(parent, error);
    }
    if (!fs::exists(target, error)) fs::create_directory(target, error);

    const bool copied = copyFiles(target);
    writeUninstallEntry(target);
    createShortcuts(target);

    if (!copied) {
        m_host.showMessage(kInstallErrorText, "Error", InstallerHost::Icon::Exclamation);
        return Result::Failed;
    }
    m_host.showMessage(Replace(kInstallDoneText, m_product.name), "Success",
                       InstallerHost::Icon::Information);
    if (launch && !m_product.mainProgram.empty())
        m_host.startDetached(target + m_product.mainProgram, target);
    return Result::Done;
}

bool Installer::copyFiles(const std::string& target)
{
    std::error_code error;
    const fs::path source = Resolve(m_product.sourceDirectory, error);
    for (const std::string& file : m_product.files) {
        if (!IsPlainRelative(file)) return false;
        // A symbolic link in the source folder must not lead the copy elsewhere.
        const fs::path from = fs::weakly_canonical(source / file, error);
        if (error || !IsWithin(from, source)) return false;
        fs::copy_file(from, fs::path(target) / file, fs::copy_options::overwrite_existing, error);
        if (error) return false;
    }
    return true;
}

void Installer::writeUninstallEntry(const std::string& target)
{
    // An empty or path-like name would put the entry on the uninstall key
    // itself or beside it, where the uninstall would remove other products.
    if (!IsSafeProductName(m_product.name)) return;
    const std::string key = std::string(kUninstallKey) + "\\" + m_product.name;
    if (!m_registry.CreateKey(key)) return;
    m_registry.WriteString(key, "DisplayName", m_product.name);
    if (!m_product.url.empty()) m_registry.WriteString(key, "urlinfoabout", m_product.url);
    if (!m_product.copyright.empty()) m_registry.WriteString(key, "publisher", m_product.copyright);
    m_registry.WriteString(key, "displayversion", m_product.release);
    m_registry.WriteString(key, "displayicon", target + m_product.mainProgram);
    // Long paths may hold blanks, which the short paths of old never did.
    std::string installer = target + kInstallerFileName;
    if (installer.find_first_of(" \t") != std::string::npos) installer = '"' + installer + '"';
    m_registry.WriteString(key, "UninstallString", installer + " -u:" + m_product.name);
    m_registry.WriteString(key, "UninstallPath", target);
}

void Installer::createShortcuts(const std::string& target)
{
    if (!IsSafeProductName(m_product.name) || m_places.applicationsDirectory.empty()) return;
    const std::string folder = PathJoin(m_places.applicationsDirectory, m_product.name);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return;

    // Without a program there is nothing for a program shortcut to start.
    if (!m_product.mainProgram.empty()) {
        const std::string program = target + m_product.mainProgram;
        const std::string directory = fs::path(program).parent_path().string();
        WriteDesktopEntry(PathJoin(folder, LastPathComponent(m_product.mainProgram) + ".desktop"),
                          "Type=Application\nName=" + DesktopText(LastPathComponent(program)) +
                              "\nComment=" + DesktopText(m_product.name) + "\nExec=" +
                              DesktopExec(program) + "\nPath=" + DesktopText(directory) + "\n");
    }
    if (!m_product.helpFile.empty()) {
        const std::string help = target + m_product.helpFile;
        WriteDesktopEntry(PathJoin(folder, LastPathComponent(m_product.helpFile) + ".desktop"),
                          "Type=Link\nName=" + DesktopText(LastPathComponent(help)) +
                              "\nComment=Documentation\nURL=" + DesktopText(FileUrl(help)) + "\n");
    }
    if (!m_product.url.empty()) {
        const std::string name = LastPathComponent(m_product.url) + ".url";
        WriteDesktopEntry(
            PathJoin(folder, name + ".desktop"),
            "Type=Link\nName=" + DesktopText(name) + "\nURL=" + DesktopText(m_product.url) + "\n");
    }
}

Installer::Result Installer::Uninstall(std::string_view keyText, std::string_view executable)
{
    const std::string name(keyText);
    if (!IsSafeProductName(name) || !m_registry.KeyExists(kUninstallKey))
        return Result::NothingDone;
    const std::string key = std::string(kUninstallKey) + "\\" + name;
    if (!m_registry.KeyExists(key)) return Result::NothingDone;
    const std::string installed = m_registry.ReadString(key, "UninstallPath").value_or("");
    if (!installed.empty()) deleteContents(installed);
    m_registry.DeleteKey(key);

    std::error_code error;
    if (!m_places.settingsFile.empty()) {
        fs::remove(m_places.settingsFile, error);
        // The company folder is ours alone; leave it only when it holds more.
        fs::remove(fs::path(m_places.settingsFile).parent_path(), error);
    }

    if (!m_places.applicationsDirectory.empty()) {
        const fs::path folder = fs::path(m_places.applicationsDirectory) / name;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            if (!entry.is_directory(error) || entry.is_symlink(error))
                fs::remove(entry.path(), error);
        }
        fs::remove(folder, error);
    }

    m_host.showMessage(Replace(Replace(kUninstallDoneText, name), name), name,
                       InstallerHost::Icon::Information);

    // The running program goes last, with its folder when that is empty now,
    // but only from the installed folder: an uninstaller started from
    // elsewhere must not delete itself.
    if (!executable.empty() && !installed.empty() && MayDeleteContentsOf(installed)) {
        const fs::path self = Resolve(std::string(executable), error);
        const fs::path root = Resolve(installed, error);
        if (!error && IsWithin(self, root) && self != root) {
            fs::remove(self, error);
            fs::remove(self.parent_path(), error);
        }
    }
    return Result::Done;
}

bool Installer::MayDeleteContentsOf(const std::string& directory) const
{
    // A relative path would depend on where the uninstaller happens to run.
    if (directory.size() <= 3 || !fs::path(directory).is_absolute()) return false;
    std::error_code error;
    const fs::path resolved = Resolve(directory, error);
    if (error || resolved.empty() || resolved == resolved.root_path()) return false;
    if (!m_places.homeDirectory.empty()) {
        const fs::path home = Resolve(m_places.homeDirectory, error);
        if (error || IsWithin(home, resolved)) return false;
    }
    return true;
}

void Installer::deleteContents(const std::string& directory)
{
    if (!MayDeleteContentsOf(directory)) return;
    std::error_code error;
    // Collected first: removing entries while iterating leaves the order undefined.
    std::vector<fs::directory_entry> entries;
    for (const auto& entry : fs::directory_iterator(directory, error)) entries.push_back(entry);
    for (const auto& entry : entries) {
        // A link to a folder is removed as a link; its target is not ours.
        if (entry.is_directory(error) && !entry.is_symlink(error)) {
            deleteContents(entry.path().string());
        }
        fs::remove(entry.path(), error);
    }
}

bool Installer::UninstallKeyFromCommandLine(std::string_view commandLine, std::string* key)
{
    const size_t at = commandLine.find("-u:");
    if (at == std::string_view::npos) return false;
    if (key) *key = std::string(commandLine.substr(at + 3));
    return true;
}

}  // namespace codeburg
