#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QStyleFactory>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "installer/hosts.h"
#include "installer/installer.h"
#include "installer/installer_page.h"
#include "installer/product.h"
#include "platform/registry.h"

using namespace codeburg;

namespace {

struct Options {
    bool silent = false;
    bool launch = true;
    bool uninstall = false;
    std::string key;
    std::string target;
    bool bad = false;
};

// "-u:" may stand anywhere; everything after it, blanks included, names the
// product. Options before it are ours.
Options ParseArguments(int argc, char** argv)
{
    Options options;
    std::string rest;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!rest.empty() || arg.find("-u:") != std::string::npos) {
            rest += (rest.empty() ? "" : " ") + arg;
        } else if (arg == "--silent") {
            options.silent = true;
        } else if (arg == "--no-launch") {
            options.launch = false;
        } else if (arg == "--target" && i + 1 < argc) {
            options.target = argv[++i];
        } else {
            options.bad = true;
        }
    }
    options.uninstall = Installer::UninstallKeyFromCommandLine(rest, &options.key);
    return options;
}

int Uninstall(const Options& options, InstallerHost& host)
{
    FileRegistry registry(DefaultRegistryPath());
    Installer installer(Product{}, registry, host, UserPlaces(options.key));
    const auto result =
        installer.Uninstall(options.key, QCoreApplication::applicationFilePath().toStdString());
    return result == Installer::Result::Done || !options.silent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = ParseArguments(argc, argv);
    if (options.bad) {
        std::fprintf(stderr,
                     "usage: installer [--silent [--target DIR] [--no-launch]]\n"
                     "       installer [--silent] -u:NAME\n");
        return 2;
    }

    std::unique_ptr<QCoreApplication> app;
    if (options.silent)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("installer"));

    if (options.silent) {
        ConsoleHost host;
        if (options.uninstall) return Uninstall(options, host);
        Product product = LoadProduct(QCoreApplication::applicationFilePath().toStdString());
        const InstallerPlaces places = UserPlaces(product.name);
        const std::string target =
            options.target.empty()
                ? DefaultTargetDirectory(product.name, places.homeDirectory, ::geteuid() == 0)
                : options.target;
        FileRegistry registry(DefaultRegistryPath());
        Installer installer(std::move(product), registry, host, places);
        return installer.Install(target, options.launch) == Installer::Result::Done ? 0 : 1;
    }

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    DialogHost host;
    if (options.uninstall) return Uninstall(options, host);

    Product product = LoadProduct(QCoreApplication::applicationFilePath().toStdString());
    const InstallerPlaces places = UserPlaces(product.name);
    const std::string target =
        DefaultTargetDirectory(product.name, places.homeDirectory, ::geteuid() == 0);
    FileRegistry registry(DefaultRegistryPath());
    Installer installer(std::move(product), registry, host, places);

    InstallerPage licence(InstallerPage::Kind::Licence, installer, host);
    if (licence.exec() != QDialog::Accepted) return 0;
    InstallerPage page(InstallerPage::Kind::Install, installer, host);
    page.setTargetDirectory(QString::fromStdString(target));
    page.setLaunchChecked(options.launch);
    page.exec();
    return 0;
}
