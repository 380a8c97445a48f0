#pragma once

#include <QStringList>

#include "views/banner_dialog.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace codeburg {

class Folder;
struct ScoringSettings;

// Lists the candidate project directories under a root and lets the user
// pick the ones to add.
class ProjectsToAddDialog : public BannerDialog {
    Q_OBJECT
public:
    // Level 1: every subdirectory of the root; level 2: every subdirectory
    // of every subdirectory. Names beginning with "." are skipped.
    ProjectsToAddDialog(const QString& root, int level, QWidget* parent = nullptr);

    static QStringList Candidates(const QString& root, int level);
    QListWidget* list() const { return m_list; }
    void selectAll();
    void selectNone();
    QStringList selectedPaths() const;

private:
    QListWidget* m_list;
};

// Adds every project (level 1) or every folder of projects (level 2) found
// under a root directory to a target folder.
class MultiProjectDialog : public BannerDialog {
    Q_OBJECT
public:
    MultiProjectDialog(const ScoringSettings* settings, Folder* target, QWidget* parent = nullptr);

    QRadioButton* level1() const { return m_level1; }
    QRadioButton* level2() const { return m_level2; }
    QLineEdit* rootEdit() const { return m_root; }
    QLineEdit* extensionsEdit() const { return m_extensions; }
    QLineEdit* excludedDirsEdit() const { return m_excludedDirs; }
    QLineEdit* excludedFilesEdit() const { return m_excludedFiles; }
    QCheckBox* methodRuleCheck() const { return m_methodRule; }
    void browse();
    void accept() override;
    // Creates the folders and projects for the chosen paths.
    void addSelected(const QStringList& selected);

private:
    const ScoringSettings* m_settings;
    Folder* m_target;
    QRadioButton* m_level1;
    QRadioButton* m_level2;
    QLineEdit* m_root;
    QLineEdit* m_extensions;
    QLineEdit* m_excludedDirs;
    QLineEdit* m_excludedFiles;
    QCheckBox* m_methodRule;
};

}  // namespace codeburg
