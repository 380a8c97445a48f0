#include "gui/interaction.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>

namespace codeburg {

namespace {

Interaction* g_installed = nullptr;

QWidget* DefaultOwner(QWidget* owner)
{
    return owner ? owner : QApplication::activeWindow();
}

}  // namespace

QMessageBox::StandardButton Interaction::messageBox(QWidget* owner, const QString& text,
                                                    const QString& caption, QMessageBox::Icon icon,
                                                    QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, DefaultOwner(owner));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString Interaction::browseForDirectory(QWidget* owner, const QString& prompt,
                                        const QString& initial)
{
    return QFileDialog::getExistingDirectory(DefaultOwner(owner), prompt, initial,
                                             QFileDialog::ShowDirsOnly);
}

int Interaction::execDialog(QDialog* dialog)
{
    return dialog->exec();
}

void Interaction::ShowMessage(const std::string& text, const std::string& title)
{
    messageBox(nullptr, QString::fromStdString(text), QString::fromStdString(title),
               QMessageBox::Warning, QMessageBox::Ok);
}

bool Interaction::AskYesNo(const std::string& text, const std::string& title)
{
    return messageBox(nullptr, QString::fromStdString(text), QString::fromStdString(title),
                      QMessageBox::Question,
                      QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> Interaction::BrowseForDirectory(const std::string& prompt,
                                                           const std::string& initial)
{
    const QString path = browseForDirectory(nullptr, QString::fromStdString(prompt),
                                            QString::fromStdString(initial));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

Interaction& Ui()
{
    static Interaction plain;
    return g_installed ? *g_installed : plain;
}

void InstallInteraction(Interaction* interaction)
{
    g_installed = interaction;
}

void Message(QWidget* owner, const QString& text, QMessageBox::Icon icon)
{
    Ui().messageBox(owner, text, QStringLiteral("Codeburg"), icon, QMessageBox::Ok);
}

bool AskYesNo(QWidget* owner, const QString& text, const QString& caption)
{
    return Ui().messageBox(owner, text, caption, QMessageBox::Question,
                           QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace codeburg
