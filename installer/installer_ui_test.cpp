#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include "installer/installer.h"
#include "installer/installer_host.h"
#include "installer/installer_page.h"
#include "platform/registry.h"

using namespace codeburg;

namespace {

class ScriptedHost final : public InstallerHost {
public:
    void showMessage(const std::string& text, const std::string& caption, Icon) override
    {
        messages << QString::fromStdString(caption + ": " + text);
    }
    bool askYesNo(const std::string& text, const std::string& caption) override
    {
        questions << QString::fromStdString(caption + ": " + text);
        return answerYes;
    }
    std::string browseForDirectory(const std::string& title) override
    {
        browseTitle = QString::fromStdString(title);
        return chosenDirectory;
    }
    bool startDetached(const std::string& program, const std::string&) override
    {
        started << QString::fromStdString(program);
        return true;
    }
    QStringList messages, questions, started;
    QString browseTitle;
    std::string chosenDirectory;
    bool answerYes = false;
};

QPushButton* Button(QWidget* page, const QString& text)
{
    for (QPushButton* button : page->findChildren<QPushButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

void WriteText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every entry below "root" with the bytes of each file, hidden ones included.
QMap<QString, QByteArray> Tree(const QString& root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        tree[path.mid(root.size())] =
            it.fileInfo().isDir()
                ? QByteArray("<dir>")
                : (file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>");
    }
    return tree;
}

bool SameColour(const QColor& a, const QColor& b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace

// The pages, drawn on the offscreen platform; each test saves a screenshot
// into the build folder for review.
class InstallerPageTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void licencePageShowsTextFromItsEnd();
    void dontAcceptAsksFirst();
    void installPageListsFilesAndBrowses();
    void installButtonInstalls();
    void nonEmptyFolderIsAskedAbout();
    void aboutEntry();

private:
    Installer make();

    std::unique_ptr<QTemporaryDir> m_dir;
    InMemoryRegistry m_registry;
    ScriptedHost m_host;
};

void InstallerPageTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_host = ScriptedHost();
    const QString dir = m_dir->path();
    qputenv("HOME", dir.toLocal8Bit());
    WriteText(dir + "/installer.list",
              "[APP]\nNAME=Codeburg\nCOPYRIGHT=Halcyon\nRELEASE=1.00A\nBGCOLOR=15794160\n"
              "COLOR=4194304\n[FILES]\n1=codeburg\n2=codeburg-cli\n3=installer\n4=licence.txt\n");
    QByteArray licence;
    for (int i = 1; i <= 40; ++i) licence += "Licence line " + QByteArray::number(i) + "\r\n";
    WriteText(dir + "/licence.txt", licence + "The end.");
}

Installer InstallerPageTest::make()
{
    InstallerPlaces places;
    places.homeDirectory = m_dir->path().toStdString();
    places.applicationsDirectory = (m_dir->path() + "/applications").toStdString();
    return Installer(LoadProduct((m_dir->path() + "/installer").toStdString()), m_registry, m_host,
                     places);
}

void InstallerPageTest::licencePageShowsTextFromItsEnd()
{
    Installer installer = make();
    InstallerPage page(InstallerPage::Kind::Licence, installer, m_host);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto* text = page.findChild<QPlainTextEdit*>("licence");
    QVERIFY(text && text->isReadOnly());
    QVERIFY(text->toPlainText().endsWith("The end."));
    QVERIFY(text->textCursor().atEnd());
    QCOMPARE(page.windowTitle(), QString("Halcyon"));
    QVERIFY(Button(&page, "Accept >>") && Button(&page, "Don't accept") && Button(&page, "Cancel"));

    const QImage shot = page.grab().toImage();
    QVERIFY(shot.save(CODEBURG_BINARY_DIR "/installer-licence-page.png"));
    QVERIFY(SameColour(shot.pixelColor(0, 20), Qt::white));
    QVERIFY(SameColour(shot.pixelColor(page.width() - 1, 5), QColor(40, 40, 125)));
    QVERIFY(SameColour(shot.pixelColor(28, 47), QColor(40, 40, 125), 20));  // first bar, right end
    QVERIFY(
        SameColour(shot.pixelColor(28, 83), QColor(240, 0xFF, 0xF0)));  // gap below it: background
    QVERIFY(SameColour(shot.pixelColor(31, 242), QColor(40, 40, 125), 10));  // line start
    QVERIFY(!SameColour(shot.pixelColor(5, 298), QColor(240, 0xFF, 0xF0)));  // seventh bar, 6 wide
    QVERIFY(SameColour(shot.pixelColor(7, 298), QColor(240, 0xFF, 0xF0)));
    QVERIFY(SameColour(shot.pixelColor(100, 298), QColor(240, 0xFF, 0xF0)));  // beside it

    Button(&page, "Accept >>")->click();
    QCOMPARE(page.result(), int(QDialog::Accepted));
}

void InstallerPageTest::dontAcceptAsksFirst()
{
    Installer installer = make();
    InstallerPage page(InstallerPage::Kind::Licence, installer, m_host);
    page.show();
    Button(&page, "Don't accept")->click();
    QCOMPARE(m_host.questions,
             QStringList("Confirm: You cannot install the application if you don't accept the "
                         "licence.\r\nDo you really want\tto cancel the installation ?"));
    QVERIFY(page.isVisible());
    m_host.answerYes = true;
    Button(&page, "Don't accept")->click();
    QVERIFY(!page.isVisible());
    QCOMPARE(page.result(), int(QDialog::Rejected));

    InstallerPage again(InstallerPage::Kind::Licence, installer, m_host);
    again.show();
    Button(&again, "Cancel")->click();
    QCOMPARE(m_host.questions.size(), 2);  // Cancel does not ask
    QVERIFY(!again.isVisible());
}

void InstallerPageTest::installPageListsFilesAndBrowses()
{
    Installer installer = make();
    InstallerPage page(InstallerPage::Kind::Install, installer, m_host);
    page.setTargetDirectory("/home/ann/.local/opt/Codeburg");
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto* files = page.findChild<QListWidget*>("files");
    QVERIFY(files && !files->isEnabled());
    QCOMPARE(files->count(), 4);
    QCOMPARE(files->item(0)->text(), QString("codeburg"));
    QCOMPARE(files->item(3)->text(), QString("licence.txt"));
    QVERIFY(page.launchChecked());
    QVERIFY(Button(&page, "Install") && Button(&page, "Cancel"));
    QVERIFY(page.grab().save(CODEBURG_BINARY_DIR "/installer-install-page.png"));

    m_host.chosenDirectory = "/srv/tools";
    Button(&page, "...")->click();
    QCOMPARE(m_host.browseTitle, QString("Select an existing directory"));
    QCOMPARE(page.targetDirectory(), QString("/srv/tools/Codeburg"));
    m_host.chosenDirectory = "/";
    Button(&page, "...")->click();
    QCOMPARE(page.targetDirectory(), QString("/Codeburg"));
    m_host.chosenDirectory.clear();
    Button(&page, "...")->click();
    QCOMPARE(page.targetDirectory(), QString("/Codeburg"));
}

void InstallerPageTest::installButtonInstalls()
{
    Installer installer = make();
    {
        InstallerPage page(InstallerPage::Kind::Install, installer, m_host);
        page.show();
        page.setTargetDirectory("");
        Button(&page, "Install")->click();
        QVERIFY(!page.isVisible());
        QVERIFY(m_host.messages.isEmpty());  // an empty target closes the page, nothing more
    }
    InstallerPage page(InstallerPage::Kind::Install, installer, m_host);
    page.show();
    const QString target = m_dir->path() + "/target";
    page.setTargetDirectory(target);
    page.findChild<QCheckBox*>("launch")->setChecked(false);
    Button(&page, "Install")->click();
    QVERIFY(!page.isVisible());
    // codeburg is missing from the folder, so the copy fails at once, and
    // nothing of the installation is left: no folder, no entry.
    QCOMPARE(m_host.messages.size(), 1);
    QVERIFY(m_host.messages[0].startsWith("Error: An error occured during installation.\r\n"));
    QVERIFY(m_host.messages[0].contains("codeburg"));
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(!m_registry.KeyExists(std::string(kUninstallKey) + "\\Codeburg"));
}

void InstallerPageTest::nonEmptyFolderIsAskedAbout()
{
    Installer installer = make();
    const QString target = m_dir->path() + "/mine";
    QVERIFY(QDir().mkpath(target));
    WriteText(target + "/notes.txt", "mine");
    InstallerPage page(InstallerPage::Kind::Install, installer, m_host);
    page.show();
    page.setTargetDirectory(target);
    Button(&page, "Install")->click();
    QCOMPARE(m_host.questions.size(), 1);
    QVERIFY(m_host.questions[0].startsWith("Confirm: The folder " + target + "/ is not empty"));
    QVERIFY(page.isVisible());  // declined: the page stays for another folder
    QVERIFY(m_host.messages.isEmpty());
    QCOMPARE(QDir(target).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList("notes.txt"));
}

void InstallerPageTest::aboutEntry()
{
    Installer installer = make();
    InstallerPage page(InstallerPage::Kind::Install, installer, m_host);
    QCOMPARE(page.aboutAction()->text(), QString("&About Installer..."));
    QVERIFY(page.actions().contains(page.aboutAction()));
    page.aboutAction()->trigger();
    QCOMPARE(m_host.messages.size(), 1);
    QVERIFY(m_host.messages[0].startsWith("About Installer: Installer"));
}

// The staged product installed and uninstalled by the real program, run
// unattended as a user would, with its own temporary home.
class StagedInstallTest : public QObject {
    Q_OBJECT
private slots:
    void installThenUninstallLeavesHomeAsItWas();
    void badArguments();

private:
    int run(const QString& program, const QStringList& args, QString* output = nullptr);

    QTemporaryDir m_dir;
};

int StagedInstallTest::run(const QString& program, const QStringList& args, QString* output)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", m_dir.path() + "/home");
    env.insert("XDG_CONFIG_HOME", m_dir.path() + "/home/.config");
    env.insert("XDG_DATA_HOME", m_dir.path() + "/home/.local/share");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(30000)) return -1;
    if (output) *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void StagedInstallTest::installThenUninstallLeavesHomeAsItWas()
{
    const QString home = m_dir.path() + "/home";
    QVERIFY(QDir().mkpath(home + "/.config"));
    QVERIFY(QDir().mkpath(home + "/.local/share/applications/Other"));
    WriteText(home + "/.profile", "export A=1\n");
    WriteText(home + "/.local/share/applications/Other/other.desktop", "[Desktop Entry]\n");
    QVERIFY(QDir().mkpath(m_dir.path() + "/apps"));
    const auto before = Tree(home);

    const QString target = m_dir.path() + "/apps/Codeburg";
    QString output;
    QCOMPARE(run(CODEBURG_STAGE_DIR "/installer", {"--silent", "--target", target, "--no-launch"},
                 &output),
             0);
    QCOMPARE(output, QString("Installation complete.\nThanks for using Codeburg\n"));
    QVERIFY(QFileInfo(target + "/installer").isExecutable());
    QVERIFY(QFileInfo(target + "/codeburg-cli").isExecutable());
    QVERIFY(QFile::exists(target + "/licence.txt"));
    QVERIFY(QFile::exists(home + "/.config/codeburg-registry.reg"));
    QVERIFY(QFile::exists(home + "/.local/share/applications/Codeburg/codeburg.url.desktop"));
    FileRegistry registry(QString(home + "/.config/codeburg-registry.reg").toStdString());
    QCOMPARE(registry.ReadString(std::string(kUninstallKey) + "\\Codeburg", "UninstallString"),
             (target + "/installer -u:Codeburg").toStdString());
    // What the main program leaves once it has run.
    QVERIFY(QDir().mkpath(home + "/.config/halcyon"));
    WriteText(home + "/.config/halcyon/Codeburg.conf", "[MAIN]\nFIRSTTIME=0\n");

    QCOMPARE(run(target + "/installer", {"--silent", "-u:Codeburg"}, &output), 0);
    QVERIFY(output.startsWith("Codeburg was successfully uninstalled.\n"));
    QCOMPARE(Tree(home), before);
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(QDir(m_dir.path() + "/apps").isEmpty());

    // Unattended, a folder of the user's is never installed into.
    const QString mine = m_dir.path() + "/apps/mine";
    QVERIFY(QDir().mkpath(mine));
    WriteText(mine + "/notes.txt", "mine");
    QCOMPARE(run(CODEBURG_STAGE_DIR "/installer", {"--silent", "--target", mine, "--no-launch"},
                 &output),
             1);
    QVERIFY(output.contains("is not empty"));
    QCOMPARE(QDir(mine).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList("notes.txt"));
    QCOMPARE(Tree(home), before);

    // Again: no entry, so nothing is done and nothing is said.
    QCOMPARE(run(CODEBURG_STAGE_DIR "/installer", {"--silent", "-u:Codeburg"}, &output), 1);
    QCOMPARE(output, QString());
    QCOMPARE(Tree(home), before);
}

void StagedInstallTest::badArguments()
{
    QCOMPARE(run(CODEBURG_STAGE_DIR "/installer", {"--silent", "--bogus"}), 2);
    QCOMPARE(run(CODEBURG_STAGE_DIR "/installer", {"--silent", "--target"}), 2);
}

int main(int argc, char** argv)
{
    // Nothing here may reach the real user's files, not even the font cache
    // the application object may write when it starts.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + "/.cache").toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    InstallerPageTest pages;
    StagedInstallTest staged;
    return QTest::qExec(&pages, argc, argv) | QTest::qExec(&staged, argc, argv);
}

#include "installer_ui_test.moc"
