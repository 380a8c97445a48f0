#include "installer/hosts.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>

namespace codeburg {

namespace {

// The texts keep their "\r\n"; a message box or terminal wants "\n" alone.
QString ForDisplay(const std::string& text)
{
    return QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

bool StartDetached(const std::string& program, const std::string& workingDirectory)
{
    return QProcess::startDetached(QString::fromStdString(program), {},
                                   QString::fromStdString(workingDirectory));
}

}  // namespace

void DialogHost::showMessage(const std::string& text, const std::string& caption, Icon icon)
{
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning
                    : icon == Icon::Question  ? QMessageBox::Question
                                              : QMessageBox::Information,
                    QString::fromStdString(caption), ForDisplay(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

bool DialogHost::askYesNo(const std::string& text, const std::string& caption)
{
    return QMessageBox::question(QApplication::activeWindow(), QString::fromStdString(caption),
                                 ForDisplay(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::string DialogHost::browseForDirectory(const std::string& title)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(),
                                             QString::fromStdString(title), QString(),
                                             QFileDialog::ShowDirsOnly)
        .toStdString();
}

bool DialogHost::startDetached(const std::string& program, const std::string& workingDirectory)
{
    return StartDetached(program, workingDirectory);
}

void ConsoleHost::showMessage(const std::string& text, const std::string&, Icon)
{
    std::printf("%s\n", ForDisplay(text).toLocal8Bit().constData());
    std::fflush(stdout);
}

bool ConsoleHost::askYesNo(const std::string& text, const std::string&)
{
    // Nobody to answer: the question is shown with the answer given.
    std::printf("%s\nNo (unattended)\n", ForDisplay(text).toLocal8Bit().constData());
    std::fflush(stdout);
    return false;
}

std::string ConsoleHost::browseForDirectory(const std::string&)
{
    return {};
}

bool ConsoleHost::startDetached(const std::string& program, const std::string& workingDirectory)
{
    return StartDetached(program, workingDirectory);
}

InstallerPlaces UserPlaces(const std::string& key)
{
    InstallerPlaces places;
    places.homeDirectory = QDir::homePath().toStdString();
    places.programsDirectory =
        ::geteuid() == 0 ? std::string("/opt") : places.homeDirectory + "/.local/opt";
    places.applicationsDirectory =
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation).toStdString();
    if (!key.empty()) {
        places.settingsFile = QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                        QStringLiteral("halcyon"), QString::fromStdString(key))
                                  .fileName()
                                  .toStdString();
    }
    return places;
}

}  // namespace codeburg
