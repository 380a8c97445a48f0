#pragma once

#include <QDialog>
#include <QFont>

class QAction;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace codeburg {

class Installer;
class InstallerHost;

// One page of the installer: the licence agreement or the install page. Both
// draw the same header band, left bars and thin line in the product's colours.
// The installer and host are not owned and must outlive the page.
class InstallerPage final : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Licence, Install };

    InstallerPage(Kind kind, Installer& installer, InstallerHost& host, QWidget* parent = nullptr);

    QString targetDirectory() const;
    void setTargetDirectory(const QString& directory);
    bool launchChecked() const;
    void setLaunchChecked(bool checked);
    QAction* aboutAction() const { return m_aboutAction; }

    static constexpr int kWidth = 480;
    static constexpr int kHeight = 310;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildLicencePage();
    void buildInstallPage();
    void addButtons(const QStringList& texts);
    void onAcceptClicked();
    void onDontAcceptClicked();
    void onBrowseClicked();
    void onInstallClicked();
    void onAboutTriggered();

    Kind m_kind;
    Installer& m_installer;
    InstallerHost& m_host;
    QFont m_titleFont;
    QAction* m_aboutAction = nullptr;
    QPlainTextEdit* m_licence = nullptr;
    QLineEdit* m_target = nullptr;
    QListWidget* m_files = nullptr;
    QCheckBox* m_launch = nullptr;
};

}  // namespace codeburg
