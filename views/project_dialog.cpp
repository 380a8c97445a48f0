#include "views/project_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/text_report.h"
#include "gui/interaction.h"
#include "pipeline/build_pipeline.h"
#include "records/project_stats.h"
#include "views/dialog_util.h"
#include "workspace/folder.h"
#include "workspace/project.h"
#include "workspace/project_build.h"

namespace codeburg {

namespace {

const char* const kBanner =
    "The project directory should contain the project source files. Sub-directories will also "
    "be parsed. To exclude some sub-directories, specify their name in the \"Excluded dirs\" "
    "parameter. Use commas to specify multiple directories.";

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

const char* const kMethodRuleText = "Find methods inside namespaces and class bodies";

}  // namespace

QCheckBox* NewMethodRuleCheck(QWidget* parent)
{
    auto* check = new QCheckBox(QLatin1String(kMethodRuleText), parent);
    check->setObjectName(QStringLiteral("methodRule"));
    check->setToolTip(QStringLiteral(
        "Counts every function body as a method: in namespaces, extern \"C\" blocks and class "
        "bodies, and in nested and inner Java classes, named after the innermost class.\n"
        "Unticked, only bodies at the top level of a C or C++ file, or directly in a top-level "
        "Java class, are methods; the others count as lines of their file only.\n"
        "Changing it rebuilds the project."));
    return check;
}

QString ModernRuleHint(const ProjectStats& stats)
{
    if (!stats.ShouldSuggestModernRule()) return {};
    return Text(SkippedBodiesText(stats.SkippedBodies())) +
           QStringLiteral("; tick \"%1\" in the project's properties.")
               .arg(QLatin1String(kMethodRuleText));
}

ProjectDialog::ProjectDialog(const ScoringSettings* settings, Project* project, Folder* folder,
                             QWidget* parent)
    : BannerDialog(65, QLatin1String(kBanner), parent),
      m_settings(settings),
      m_edited(project),
      m_folder(folder)
{
    setObjectName(QStringLiteral("ProjectDialog"));
    auto* grid = new QGridLayout;
    QPushButton* browseButton = nullptr;
    m_directory = AddField(grid, 0, QStringLiteral("&Directory :"), 1002,
                           QStringLiteral("directory"), &browseButton, 1003);
    m_name = AddField(grid, 1, QStringLiteral("&Name :"), 1007, QStringLiteral("name"));
    m_extensions =
        AddField(grid, 2, QStringLiteral("E&xtensions :"), 1004, QStringLiteral("extensions"));
    m_extensions->setPlaceholderText(QStringLiteral("eg: cpp, cc"));
    m_excludedDirs =
        AddField(grid, 3, QStringLiteral("Excluded d&irs :"), 1005, QStringLiteral("excludedDirs"));
    m_excludedFiles = AddField(grid, 4, QStringLiteral("Excluded &files :"), 1006,
                               QStringLiteral("excludedFiles"));
    m_excludedFiles->setToolTip(QStringLiteral("eg: stdafx.cpp, xxx.yyy\n*xx.cpp, xx*.cpp"));
    m_developer =
        AddField(grid, 5, QStringLiteral("&Lead developer :"), 1019, QStringLiteral("developer"));
    body()->addLayout(grid);

    m_methodRule = NewMethodRuleCheck();
    body()->addWidget(m_methodRule);
    m_build = new QCheckBox;
    m_build->setObjectName(QStringLiteral("buildAfter"));
    m_build->setProperty("controlId", 1015);
    body()->addWidget(m_build);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setProperty("controlId", 1001);
    m_progress->setTextVisible(false);
    m_progress->setVisible(false);
    body()->addWidget(m_progress);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &ProjectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ProjectDialog::reject);
    body()->addWidget(buttons);
    connect(browseButton, &QPushButton::clicked, this, &ProjectDialog::browse);

    if (m_edited) {
        setWindowTitle(QStringLiteral("Edit project \"%1\"").arg(Text(m_edited->name)));
        m_directory->setText(Text(m_edited->directory));
        m_name->setText(Text(m_edited->name));
        m_extensions->setText(Text(m_edited->extensions));
        m_excludedDirs->setText(Text(m_edited->excludedDirs));
        m_excludedFiles->setText(Text(m_edited->excludedFiles));
        m_developer->setText(Text(m_edited->developer));
        m_methodRule->setChecked(m_edited->methods == MethodRule::Modern);
        m_build->setText(QStringLiteral("Rebuild project"));
        m_build->setChecked(false);
    } else {
        const QString folderName = m_folder ? Text(m_folder->name) : QString();
        setWindowTitle(
            QStringLiteral("Add project in \"%1\"")
                .arg(folderName.isEmpty() ? QStringLiteral("workspace (no folder)") : folderName));
        if (m_folder) m_directory->setText(Text(m_folder->baseDirectory));
        m_extensions->setText(QStringLiteral("cpp,cc"));
        m_excludedFiles->setText(QStringLiteral("stdafx.cpp"));
        m_build->setText(QStringLiteral("Add && build statistics"));
        m_build->setChecked(true);
    }
}

ProjectDialog::~ProjectDialog() = default;

std::unique_ptr<Project> ProjectDialog::takeProject()
{
    return std::move(m_created);
}

Project* ProjectDialog::project() const
{
    return m_edited ? m_edited : m_created.get();
}

void ProjectDialog::browse()
{
    const QString path = Ui().browseForDirectory(
        this, QStringLiteral("Select directory with C/C++/Java files"), m_directory->text());
    if (path.isEmpty()) return;
    m_directory->setText(path);
    m_name->setText(LastComponent(path));
}

void ProjectDialog::accept()
{
    const QString name = m_name->text();
    const QString directory = m_directory->text();
    if (name.isEmpty()) {
        Message(this, QStringLiteral("Please enter a project name"));
        return;
    }
    if (directory.isEmpty()) {
        Message(this, QStringLiteral(
                          "Please enter a project directory. The project directory is the place "
                          "where all source files are located. It can also contain "
                          "subdirectories that have source files for the same project."));
        return;
    }
    QString extensions = m_extensions->text();
    if (extensions.isEmpty()) extensions = QStringLiteral("c,cpp,cc,java");

    Project* target = m_edited;
    if (!target) {
        m_created = std::make_unique<Project>(m_settings, m_folder, name.toStdString());
        m_created->expanded = true;
        target = m_created.get();
    }
    target->name = name.toStdString();
    target->directory = directory.toStdString();
    target->excludedFiles = m_excludedFiles->text().toStdString();
    target->excludedDirs = m_excludedDirs->text().toStdString();
    target->extensions = extensions.toStdString();
    target->developer = m_developer->text().toStdString();
    // Statistics of the other rule would stand for the project until the
    // next build: another rule means another build now.
    const MethodRule rule = m_methodRule->isChecked() ? MethodRule::Modern : MethodRule::Classic;
    const bool ruleChanged = m_edited && m_edited->methods != rule;
    target->methods = rule;

    if (m_build->isChecked() || ruleChanged) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_progress->setRange(0, 0);
        m_progress->setValue(0);
        m_progress->setVisible(true);
        BuildOptions options;
        options.reportPath = TextReportPath(QCoreApplication::applicationFilePath().toStdString());
        // A failed build still closes with OK: the project itself is valid.
        BuildIfNeeded(*target, this, true, true, &Ui(), options);
        m_built = true;
        QApplication::restoreOverrideCursor();
    }
    QDialog::accept();
}

void ProjectDialog::FileStep(const std::string&)
{
    if (m_progress->maximum() > 0) {
        m_progress->setValue(qMin(qMax(m_progress->value(), 0) + 1, m_progress->maximum()));
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProjectDialog::AddRange(int count)
{
    m_progress->setRange(0, m_progress->maximum() + count);
}

int ProjectDialog::Position()
{
    return qMax(m_progress->value(), 0);
}

}  // namespace codeburg
