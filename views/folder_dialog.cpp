#include "views/folder_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/interaction.h"
#include "views/dialog_util.h"
#include "workspace/folder.h"

namespace codeburg {

FolderDialog::FolderDialog(Folder* parent, Folder* folder, QWidget* owner)
    : BannerDialog(50,
                   QStringLiteral("The base directory is simply the default directory that will "
                                  "be used when adding projects into the folder. That way you "
                                  "don't have to browse for that directory every time."),
                   owner),
      m_edited(folder)
{
    setObjectName(QStringLiteral("FolderDialog"));
    setWindowTitle(QStringLiteral("New Folder"));
    auto* grid = new QGridLayout;
    QPushButton* browseButton = nullptr;
    m_directory = AddField(grid, 0, QStringLiteral("Base &Directory :"), 1002,
                           QStringLiteral("directory"), &browseButton, 1003);
    m_name = AddField(grid, 1, QStringLiteral("&Name :"), 1007, QStringLiteral("name"));
    m_name->setToolTip(QStringLiteral("Name that appears in the workspace tree view"));
    body()->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FolderDialog::reject);
    body()->addWidget(buttons);
    connect(browseButton, &QPushButton::clicked, this, &FolderDialog::browse);

    if (m_edited) {
        m_directory->setText(QString::fromStdString(m_edited->baseDirectory));
        m_name->setText(QString::fromStdString(m_edited->name));
    } else if (parent) {
        m_directory->setText(QString::fromStdString(parent->baseDirectory));
    }
}

FolderDialog::~FolderDialog() = default;

std::unique_ptr<Folder> FolderDialog::takeFolder()
{
    return std::move(m_created);
}

void FolderDialog::browse()
{
    const QString path =
        Ui().browseForDirectory(this, QStringLiteral("Select base directory"), m_directory->text());
    if (path.isEmpty()) return;
    m_directory->setText(path);
    m_name->setText(LastComponent(path));
}

void FolderDialog::accept()
{
    if (m_name->text().isEmpty()) {
        Message(this, QStringLiteral("Please enter a folder name"));
        return;
    }
    if (m_directory->text().isEmpty() &&
        !AskYesNo(this,
                  QStringLiteral("You didn't provide a base directory for the folder.\n"
                                 "It's usually better to provide a base directory now because "
                                 "it is\nlater used as a default starting directory when adding "
                                 "projects.\nDo you really want to leave it empty ?"),
                  QStringLiteral("Codeburg"))) {
        return;
    }
    Folder* target = m_edited;
    if (!target) {
        m_created = std::make_unique<Folder>();
        m_created->expanded = true;
        target = m_created.get();
    }
    target->name = m_name->text().toStdString();
    target->baseDirectory = m_directory->text().toStdString();
    QDialog::accept();
}

}  // namespace codeburg
