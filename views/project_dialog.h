#pragma once

#include <memory>

#include "records/build_progress_sink.h"
#include "views/banner_dialog.h"

class QCheckBox;
class QLineEdit;
class QString;
class QWidget;
class QProgressBar;
class QPushButton;

namespace codeburg {

class Folder;
class Project;
class ProjectStats;
struct ScoringSettings;

// The check box that chooses the modern method rule, with its tooltip; the
// project dialog and the multi-project dialog both carry one.
QCheckBox* NewMethodRuleCheck(QWidget* parent = nullptr);

// After a classic build that passed over many bodies in namespaces or class
// bodies: what to tell the user, naming the check box. Empty otherwise.
QString ModernRuleHint(const ProjectStats& stats);

// Adds a project to a folder, or edits one, and optionally builds it with
// its own progress bar.
class ProjectDialog : public BannerDialog, public BuildProgressSink {
    Q_OBJECT
public:
    // Edit mode when "project" is given; "folder" is the target when adding.
    ProjectDialog(const ScoringSettings* settings, Project* project, Folder* folder,
                  QWidget* parent = nullptr);
    ~ProjectDialog() override;

    // The project created in add mode, once the dialog ended with OK.
    std::unique_ptr<Project> takeProject();
    Project* project() const;

    QLineEdit* directoryEdit() const { return m_directory; }
    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* extensionsEdit() const { return m_extensions; }
    QLineEdit* excludedDirsEdit() const { return m_excludedDirs; }
    QLineEdit* excludedFilesEdit() const { return m_excludedFiles; }
    QLineEdit* developerEdit() const { return m_developer; }
    QCheckBox* buildCheck() const { return m_build; }
    QCheckBox* methodRuleCheck() const { return m_methodRule; }
    // Whether OK built the project, replacing its records.
    bool built() const { return m_built; }
    void browse();

    void accept() override;

    void Status(const std::string&, const std::string&) override {}
    void FileStep(const std::string& name) override;
    void AddRange(int count) override;
    int Position() override;

private:
    const ScoringSettings* m_settings;
    Project* m_edited;
    Folder* m_folder;
    std::unique_ptr<Project> m_created;
    QLineEdit* m_directory;
    QLineEdit* m_name;
    QLineEdit* m_extensions;
    QLineEdit* m_excludedDirs;
    QLineEdit* m_excludedFiles;
    QLineEdit* m_developer;
    QCheckBox* m_methodRule;
    bool m_built = false;
    QCheckBox* m_build;
    QProgressBar* m_progress;
};

}  // namespace codeburg
