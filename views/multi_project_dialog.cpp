#include "views/multi_project_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QVBoxLayout>

#include "gui/interaction.h"
#include "views/dialog_util.h"
#include "views/project_dialog.h"
#include "workspace/folder.h"
#include "workspace/project.h"

namespace codeburg {

namespace {

// Subdirectories in the order the file system gives them, dot-names left out.
QStringList SubdirectoryNames(const QString& directory)
{
    QStringList names;
    const QDir dir(directory);
    if (directory.isEmpty() || !dir.exists()) return names;
    for (const QString& name :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Unsorted)) {
        if (!name.startsWith(QLatin1Char('.'))) names.append(name);
    }
    return names;
}

QString Join(const QString& directory, const QString& name)
{
    return directory.endsWith(QLatin1Char('/')) ? directory + name
                                                : directory + QLatin1Char('/') + name;
}

}  // namespace

ProjectsToAddDialog::ProjectsToAddDialog(const QString& root, int level, QWidget* parent)
    : BannerDialog(68,
                   QStringLiteral("Here is the list of all the projects found in the root "
                                  "folder. Please select the projects you want to add to the "
                                  "workspace.\r\n\r\n(use CTRL or SHIFT to select multiple "
                                  "lines)"),
                   parent)
{
    setObjectName(QStringLiteral("ProjectsToAddDialog"));
    setWindowTitle(QStringLiteral("Projects to be added"));
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setProperty("controlId", 1070);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSortingEnabled(true);
    m_list->addItems(Candidates(root, level));
    body()->addWidget(m_list);
    selectAll();

    auto* row = new QHBoxLayout;
    auto* all = new QPushButton(QStringLiteral("&All"));
    all->setProperty("controlId", 1071);
    all->setAutoDefault(false);
    auto* none = new QPushButton(QStringLiteral("&None"));
    none->setProperty("controlId", 1072);
    none->setAutoDefault(false);
    row->addWidget(all);
    row->addWidget(none);
    row->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    row->addWidget(buttons);
    body()->addLayout(row);
    connect(all, &QPushButton::clicked, this, &ProjectsToAddDialog::selectAll);
    connect(none, &QPushButton::clicked, this, &ProjectsToAddDialog::selectNone);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(520, 380);
}

QStringList ProjectsToAddDialog::Candidates(const QString& root, int level)
{
    QStringList paths;
    for (const QString& name : SubdirectoryNames(root)) {
        const QString path = Join(root, name);
        if (level == 1) {
            paths.append(path);
            continue;
        }
        for (const QString& inner : SubdirectoryNames(path)) paths.append(Join(path, inner));
    }
    return paths;
}

void ProjectsToAddDialog::selectAll()
{
    m_list->selectAll();
}

void ProjectsToAddDialog::selectNone()
{
    m_list->clearSelection();
}

QStringList ProjectsToAddDialog::selectedPaths() const
{
    QStringList paths;
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->isSelected()) paths.append(m_list->item(i)->text());
    }
    return paths;
}

MultiProjectDialog::MultiProjectDialog(const ScoringSettings* settings, Folder* target,
                                       QWidget* parent)
    : BannerDialog(
          98,
          QStringLiteral("To add multiple projects in one go, you must first select a root "
                         "directory and then specify how your projects are organized inside that "
                         "directory. CODEBURG can handle 2 directory layouts called 'level 1' and "
                         "'level 2' (see description below).\r\n\r\nThe file extensions, excluded "
                         "directories and excluded files specified below will be used for every "
                         "project. You can change those settings on a per project basis at a "
                         "later stage."),
          parent),
      m_settings(settings),
      m_target(target)
{
    setObjectName(QStringLiteral("MultiProjectDialog"));
    setWindowTitle(QStringLiteral("Add Multiple Projects"));
    setMinimumWidth(720);  // the level texts do not wrap
    m_level1 = new QRadioButton(QStringLiteral(
        "Level 1 : Every sub-directory of the root directory will be considered a project "
        "directory."));
    m_level1->setProperty("controlId", 1007);
    m_level2 = new QRadioButton(QStringLiteral(
        "Level 2 : Every sub-directory of the root directory will be considered a folder "
        "containing projects directories."));
    m_level2->setProperty("controlId", 1008);
    m_level1->setChecked(true);
    body()->addWidget(m_level1);
    body()->addWidget(m_level2);

    auto* grid = new QGridLayout;
    QPushButton* browseButton = nullptr;
    m_root = AddField(grid, 0, QStringLiteral("Root &directory :"), 1002, QStringLiteral("root"),
                      &browseButton, 1003);
    m_extensions =
        AddField(grid, 1, QStringLiteral("E&xtensions :"), 1004, QStringLiteral("extensions"));
    m_excludedDirs =
        AddField(grid, 2, QStringLiteral("Excluded d&irs :"), 1005, QStringLiteral("excludedDirs"));
    m_excludedFiles = AddField(grid, 3, QStringLiteral("Excluded &files :"), 1006,
                               QStringLiteral("excludedFiles"));
    body()->addLayout(grid);
    m_methodRule = NewMethodRuleCheck();
    body()->addWidget(m_methodRule);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &MultiProjectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MultiProjectDialog::reject);
    body()->addWidget(buttons);
    connect(browseButton, &QPushButton::clicked, this, &MultiProjectDialog::browse);

    if (m_target) m_root->setText(QString::fromStdString(m_target->baseDirectory));
    m_extensions->setText(QStringLiteral("cpp,cc"));
    m_excludedFiles->setText(QStringLiteral("stdafx.cpp"));
}

void MultiProjectDialog::browse()
{
    const QString path =
        Ui().browseForDirectory(this, QStringLiteral("Select projects directory"), m_root->text());
    if (!path.isEmpty()) m_root->setText(path);
}

void MultiProjectDialog::accept()
{
    ProjectsToAddDialog companion(m_root->text(), m_level2->isChecked() ? 2 : 1, this);
    if (Ui().execDialog(&companion) == QDialog::Accepted) {
        const QStringList selected = companion.selectedPaths();
        if (!selected.isEmpty()) addSelected(selected);
    }
    QDialog::accept();
}

void MultiProjectDialog::addSelected(const QStringList& selected)
{
    if (!m_target) return;
    const QSet<QString> chosen(selected.begin(), selected.end());
    const QString root = m_root->text();
    auto addProjects = [&](Folder& folder, const QString& directory) {
        for (const QString& name : SubdirectoryNames(directory)) {
            const QString path = Join(directory, name);
            if (!chosen.contains(path)) continue;
            auto project = std::make_unique<Project>(m_settings, &folder, name.toStdString());
            project->directory = path.toStdString();
            project->extensions = m_extensions->text().toStdString();
            project->excludedDirs = m_excludedDirs->text().toStdString();
            project->excludedFiles = m_excludedFiles->text().toStdString();
            if (m_methodRule->isChecked()) project->methods = MethodRule::Modern;
            folder.AddProject(std::move(project));
        }
    };
    if (m_level1->isChecked()) {
        addProjects(*m_target, root);
        return;
    }
    for (const QString& name : SubdirectoryNames(root)) {
        auto folder = std::make_unique<Folder>(name.toStdString());
        folder->baseDirectory = Join(root, name).toStdString();
        folder->expanded = false;
        Folder* added = m_target->AddSubfolder(std::move(folder));
        addProjects(*added, Join(root, name));
    }
}

}  // namespace codeburg
