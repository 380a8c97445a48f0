#pragma once

#include <QMessageBox>
#include <QString>

#include "workspace/user_interaction.h"

class QDialog;
class QWidget;

namespace codeburg {

// Every question the desktop program puts to the user goes through here:
// message boxes, the folder chooser and modal dialogs. Tests install a
// subclass that answers without showing anything.
class Interaction : public UserInteraction {
public:
    ~Interaction() override = default;

    // Returns the button pressed (QMessageBox::Ok, Yes, No or Cancel).
    virtual QMessageBox::StandardButton messageBox(QWidget* owner, const QString& text,
                                                   const QString& caption, QMessageBox::Icon icon,
                                                   QMessageBox::StandardButtons buttons);
    // A full directory path, or an empty text when cancelled.
    virtual QString browseForDirectory(QWidget* owner, const QString& prompt,
                                       const QString& initial);
    // QDialog::Accepted or Rejected.
    virtual int execDialog(QDialog* dialog);

    void ShowMessage(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    std::optional<std::string> BrowseForDirectory(const std::string& prompt,
                                                  const std::string& initial) override;
};

// The interaction in use; a plain Interaction unless one was installed.
// The installed object is not owned and must outlive its use.
Interaction& Ui();
void InstallInteraction(Interaction* interaction);

// Shorthands with the application title as caption.
void Message(QWidget* owner, const QString& text, QMessageBox::Icon icon = QMessageBox::Warning);
bool AskYesNo(QWidget* owner, const QString& text, const QString& caption);

}  // namespace codeburg
