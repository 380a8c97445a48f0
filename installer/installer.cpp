#include "installer/installer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "installer/installer_host.h"
#include "platform/path_util.h"
#include "platform/registry.h"
#include "platform/safe_file.h"

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
const char kNotEmptyText[] =
    "The folder %s is not empty and does not hold %s.\r\nDo you want to install into it "
    "anyway?";
const char kInstalledFilesValue[] = "InstalledFiles";
const char kShortcutsValue[] = "Shortcuts";

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

// Written like every file of ours: whole or not at all, never through a link.
bool WriteDesktopEntry(const std::string& path, const std::string& body)
{
    return WriteFileAtomically(path, "[Desktop Entry]\n" + body) == 0;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool IsEmptyDirectory(const fs::path& directory)
{
    std::error_code error;
    return fs::is_directory(directory, error) && fs::is_empty(directory, error) && !error;
}

// Removes a file we made, or a link put in its place; never a folder.
void RemoveOurFile(const fs::path& path)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!error && (fs::is_regular_file(status) || fs::is_symlink(status))) fs::remove(path, error);
}

// Copies one listed file beside its destination, not yet in place: a failed
// installation then leaves the folder as it found it.
bool StageCopy(const fs::path& from, const fs::path& to, StagedFile& staged, std::string& why)
{
    uint64_t size = 0;
    const int in = OpenRegularFile(from.string(), uint64_t{1} << 34, size, &why);
    if (in < 0) {
        why = from.string() + ": " + why;
        return false;
    }
    struct stat st;
    bool ok = fstat(in, &st) == 0 && staged.Create(to.string(), &why) == 0;
    if (ok) fchmod(staged.fd(), st.st_mode & 0777);
    char buffer[1 << 16];
    while (ok) {
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) why = std::strerror(errno);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = staged.Write(buffer, static_cast<size_t>(n), &why) == 0;
    }
    close(in);
    ok = ok && staged.Finish(&why) == 0;
    if (!ok) why = to.string() + ": " + why;
    return ok;
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
    // A folder of the user's is no place to install into unasked: an
    // uninstall would later have to tell their files from ours.
    if (fs::is_directory(target, error) && !IsEmptyDirectory(target) && !holdsProduct(target)) {
        std::string question = Replace(kNotEmptyText, target);
        if (!m_host.askYesNo(Replace(question, m_product.name), "Confirm")) return Result::Refused;
    }
    // Only the folder of programs itself may be missing with its parents, as
    // a fresh account has no "~/.local/opt"; any other target gets one level.
    const fs::path parent = Resolve(target, error).parent_path();
    if (!m_places.programsDirectory.empty() &&
        parent == Resolve(m_places.programsDirectory, error)) {
        fs::create_directories(parent, error);
    }
    const bool created = !fs::exists(target, error) && fs::create_directory(target, error);

    std::string why;
    if (!copyFiles(target, why)) {
        // Nothing of a failed installation stays: no files, no entry, no shortcuts.
        if (created) fs::remove(target, error);
        std::string text = kInstallErrorText;
        if (!why.empty()) text += "\r\n" + why;
        m_host.showMessage(text, "Error", InstallerHost::Icon::Exclamation);
        return Result::Failed;
    }
    writeUninstallEntry(target, createShortcuts(target));

    m_host.showMessage(Replace(kInstallDoneText, m_product.name), "Success",
                       InstallerHost::Icon::Information);
    if (launch && !m_product.mainProgram.empty())
        m_host.startDetached(target + m_product.mainProgram, target);
    return Result::Done;
}

bool Installer::holdsProduct(const std::string& target) const
{
    if (!IsSafeProductName(m_product.name)) return false;
    const std::string key = std::string(kUninstallKey) + "\\" + m_product.name;
    const std::string installed = m_registry.ReadString(key, "UninstallPath").value_or("");
    std::error_code a, b;
    return !installed.empty() && Resolve(installed, a) == Resolve(target, b) && !a && !b;
}

bool Installer::copyFiles(const std::string& target, std::string& why)
{
    std::error_code error;
    const fs::path source = Resolve(m_product.sourceDirectory, error);
    const fs::path root = Resolve(target, error);
    // Every file is staged first and put in place only when all are.
    std::vector<StagedFile> staged(m_product.files.size());
    for (size_t i = 0; i < m_product.files.size(); ++i) {
        const std::string& file = m_product.files[i];
        if (!IsPlainRelative(file)) {
            why = file + ": not a plain relative name";
            return false;
        }
        // A symbolic link in the source folder must not lead the copy
        // elsewhere, nor one in the target the files.
        const fs::path from = fs::weakly_canonical(source / file, error);
        if (error || !IsWithin(from, source)) {
            why = (source / file).string() + ": it leads outside the installer's folder";
            return false;
        }
        const fs::path to = fs::path(target) / file;
        const fs::path folder = Resolve(to.parent_path().string(), error);
        if (error || !IsWithin(folder, root)) {
            why = to.string() + ": it leads outside the target folder";
            return false;
        }
        if (!StageCopy(from, to, staged[i], why)) return false;
    }
    std::vector<bool> existed;
    for (const StagedFile& file : staged) existed.push_back(fs::exists(file.target(), error));
    for (size_t i = 0; i < staged.size(); ++i) {
        if (staged[i].Commit(&why) != 0) {
            why = staged[i].target() + ": " + why;
            // Rare (the room was taken when staging): what is new goes again.
            for (size_t j = 0; j < i; ++j)
                if (!existed[j]) RemoveOurFile(staged[j].target());
            return false;
        }
    }
    return true;
}

void Installer::writeUninstallEntry(const std::string& target,
                                    const std::vector<std::string>& shortcuts)
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
    // What the uninstall may remove: an earlier installation's files in the
    // same folder, and this one's.
    std::vector<std::string> files;
    if (holdsProduct(target))
        files = SplitLines(m_registry.ReadString(key, kInstalledFilesValue).value_or(""));
    for (const std::string& file : m_product.files)
        if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
    m_registry.WriteString(key, "UninstallString", installer + " -u:" + m_product.name);
    m_registry.WriteString(key, "UninstallPath", target);
    m_registry.WriteString(key, kInstalledFilesValue, JoinLines(files));
    m_registry.WriteString(key, kShortcutsValue, JoinLines(shortcuts));
}

std::vector<std::string> Installer::createShortcuts(const std::string& target)
{
    std::vector<std::string> made;
    if (!IsSafeProductName(m_product.name) || m_places.applicationsDirectory.empty()) return made;
    const std::string folder = PathJoin(m_places.applicationsDirectory, m_product.name);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return made;
    auto write = [&made](const std::string& path, const std::string& body) {
        if (WriteDesktopEntry(path, body)) made.push_back(path);
    };

    // Without a program there is nothing for a program shortcut to start.
    if (!m_product.mainProgram.empty()) {
        const std::string program = target + m_product.mainProgram;
        const std::string directory = fs::path(program).parent_path().string();
        write(PathJoin(folder, LastPathComponent(m_product.mainProgram) + ".desktop"),
              "Type=Application\nName=" + DesktopText(LastPathComponent(program)) +
                  "\nComment=" + DesktopText(m_product.name) + "\nExec=" + DesktopExec(program) +
                  "\nPath=" + DesktopText(directory) + "\n");
    }
    if (!m_product.helpFile.empty()) {
        const std::string help = target + m_product.helpFile;
        write(PathJoin(folder, LastPathComponent(m_product.helpFile) + ".desktop"),
              "Type=Link\nName=" + DesktopText(LastPathComponent(help)) +
                  "\nComment=Documentation\nURL=" + DesktopText(FileUrl(help)) + "\n");
    }
    if (!m_product.url.empty()) {
        const std::string name = LastPathComponent(m_product.url) + ".url";
        write(
            PathJoin(folder, name + ".desktop"),
            "Type=Link\nName=" + DesktopText(name) + "\nURL=" + DesktopText(m_product.url) + "\n");
    }
    return made;
}

Installer::Result Installer::Uninstall(std::string_view keyText, std::string_view executable)
{
    const std::string name(keyText);
    if (!IsSafeProductName(name) || !m_registry.KeyExists(kUninstallKey))
        return Result::NothingDone;
    const std::string key = std::string(kUninstallKey) + "\\" + name;
    if (!m_registry.KeyExists(key)) return Result::NothingDone;
    const std::string installed = m_registry.ReadString(key, "UninstallPath").value_or("");
    const std::vector<std::string> files =
        SplitLines(m_registry.ReadString(key, kInstalledFilesValue).value_or(""));
    const std::vector<std::string> shortcuts =
        SplitLines(m_registry.ReadString(key, kShortcutsValue).value_or(""));
    // Only what the installation put there: the folder may hold the user's
    // files too, which stay, and with them the folder.
    if (!installed.empty() && MayDeleteContentsOf(installed)) {
        for (const std::string& file : files)
            if (IsPlainRelative(file)) RemoveOurFile(fs::path(installed) / file);
    }
    m_registry.DeleteKey(key);

    std::error_code error;
    if (!m_places.settingsFile.empty()) {
        fs::remove(m_places.settingsFile, error);
        // The company folder is ours alone; leave it only when it holds more.
        fs::remove(fs::path(m_places.settingsFile).parent_path(), error);
    }

    if (!m_places.applicationsDirectory.empty()) {
        const fs::path folder = fs::path(m_places.applicationsDirectory) / name;
        for (const std::string& shortcut : shortcuts)
            if (fs::path(shortcut).parent_path() == folder) RemoveOurFile(shortcut);
        if (IsEmptyDirectory(folder)) fs::remove(folder, error);
    }

    m_host.showMessage(Replace(Replace(kUninstallDoneText, name), name), name,
                       InstallerHost::Icon::Information);

    // The folder goes last, and only when nothing else is left in it; the
    // running uninstaller, listed among the files, is gone by then.
    (void)executable;
    if (!installed.empty() && MayDeleteContentsOf(installed) && IsEmptyDirectory(installed))
        fs::remove(installed, error);
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

bool Installer::UninstallKeyFromCommandLine(std::string_view commandLine, std::string* key)
{
    const size_t at = commandLine.find("-u:");
    if (at == std::string_view::npos) return false;
    if (key) *key = std::string(commandLine.substr(at + 3));
    return true;
}

}  // namespace codeburg
