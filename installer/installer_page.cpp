#include "installer/installer_page.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringDecoder>

#include "installer/installer.h"
#include "installer/installer_host.h"

namespace codeburg {

namespace {

const QColor kBandColour(40, 40, 125);
const QColor kFieldBase(245, 245, 245);
const QColor kFieldText(25, 25, 25);

QColor FromColorRef(uint32_t value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// List texts and the licence are plain bytes; older files may be Latin-1.
QString FromBytes(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(QByteArray::fromStdString(bytes));
    if (utf8.hasError()) text = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    return text;
}

void FillGradient(QPainter& painter, const QRect& rect, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(rect.left(), 0, rect.right() + 1, 0);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(rect, gradient);
}

void UseFieldColours(QWidget* field)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, kFieldBase);
    palette.setColor(QPalette::Active, QPalette::Text, kFieldText);
    palette.setColor(QPalette::Inactive, QPalette::Text, kFieldText);
    field->setPalette(palette);
}

}  // namespace

InstallerPage::InstallerPage(Kind kind, Installer& installer, InstallerHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_kind(kind),
      m_installer(installer),
      m_host(host)
{
    const Product& product = m_installer.product();
    setWindowTitle(FromBytes(product.copyright));
    setFixedSize(kWidth, kHeight);

    QPalette palette = this->palette();
    const QColor background = FromColorRef(product.bgColor);
    const QColor text = FromColorRef(product.color);
    for (auto role : {QPalette::Window, QPalette::Button}) palette.setColor(role, background);
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, text);
    setPalette(palette);
    setAutoFillBackground(true);

    // A cell height of 28 units gives an em of about 24 pixels.
    m_titleFont = QFont(QStringLiteral("Verdana"));
    m_titleFont.setPixelSize(24);

    // The window menu of the platform is not ours to extend; the page's own
    // context menu carries the entry instead.
    m_aboutAction = new QAction(tr("&About Installer..."), this);
    addAction(m_aboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_aboutAction, &QAction::triggered, this, &InstallerPage::onAboutTriggered);

    if (kind == Kind::Licence)
        buildLicencePage();
    else
        buildInstallPage();

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void InstallerPage::buildLicencePage()
{
    auto* label = new QLabel(tr("Licence"), this);
    label->setGeometry(40, 50, 200, 18);
    m_licence = new QPlainTextEdit(this);
    m_licence->setObjectName("licence");
    m_licence->setReadOnly(true);
    m_licence->setGeometry(40, 70, kWidth - 50, 162);
    UseFieldColours(m_licence);
    m_licence->setPlainText(FromBytes(m_installer.product().licence));
    // Shown from its end, where the terms to agree to usually stand.
    m_licence->moveCursor(QTextCursor::End);
    m_licence->ensureCursorVisible();
    addButtons({tr("Accept >>"), tr("Don't accept"), tr("Cancel")});
}

void InstallerPage::buildInstallPage()
{
    const Product& product = m_installer.product();
    m_target = new QLineEdit(this);
    m_target->setObjectName("target");
    auto* label = new QLabel(tr("&Install in :"), this);
    label->setBuddy(m_target);
    label->setGeometry(40, 52, 80, 22);
    m_target->setGeometry(120, 50, kWidth - 170, 24);
    UseFieldColours(m_target);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName("browse");
    browse->setGeometry(kWidth - 45, 50, 35, 24);
    connect(browse, &QPushButton::clicked, this, &InstallerPage::onBrowseClicked);

    auto* filesLabel = new QLabel(tr("Files to install"), this);
    filesLabel->setGeometry(40, 82, 200, 18);
    m_files = new QListWidget(this);
    m_files->setObjectName("files");
    m_files->setGeometry(40, 102, kWidth - 50, 110);
    UseFieldColours(m_files);
    for (const std::string& file : product.files) m_files->addItem(FromBytes(file));
    m_files->setEnabled(false);

    m_launch = new QCheckBox(tr("Launch program when installation is done"), this);
    m_launch->setObjectName("launch");
    m_launch->setGeometry(40, 216, kWidth - 50, 22);
    m_launch->setChecked(true);
    addButtons({tr("Install"), tr("Cancel")});
}

void InstallerPage::addButtons(const QStringList& texts)
{
    constexpr int kButtonWidth = 96;
    int x = kWidth - 10 - texts.size() * (kButtonWidth + 8) + 8;
    for (int i = 0; i < texts.size(); ++i, x += kButtonWidth + 8) {
        auto* button = new QPushButton(texts[i], this);
        button->setGeometry(x, 262, kButtonWidth, 28);
        const bool last = i == texts.size() - 1;
        if (i == 0) {
            button->setDefault(true);
            connect(button, &QPushButton::clicked, this,
                    m_kind == Kind::Licence ? &InstallerPage::onAcceptClicked
                                            : &InstallerPage::onInstallClicked);
        } else if (last) {
            connect(button, &QPushButton::clicked, this, &QDialog::reject);
        } else {
            connect(button, &QPushButton::clicked, this, &InstallerPage::onDontAcceptClicked);
        }
    }
}

QString InstallerPage::targetDirectory() const
{
    return m_target ? m_target->text() : QString();
}

void InstallerPage::setTargetDirectory(const QString& directory)
{
    if (m_target) m_target->setText(directory);
}

bool InstallerPage::launchChecked() const
{
    return m_launch && m_launch->isChecked();
}

void InstallerPage::setLaunchChecked(bool checked)
{
    if (m_launch) m_launch->setChecked(checked);
}

void InstallerPage::onAcceptClicked()
{
    accept();
}

void InstallerPage::onDontAcceptClicked()
{
    if (m_host.askYesNo(kDontAcceptText, "Confirm")) reject();
}

void InstallerPage::onBrowseClicked()
{
    QString chosen = QString::fromStdString(m_host.browseForDirectory(kBrowseTitle));
    if (chosen.isEmpty()) return;
    if (!chosen.endsWith(QLatin1Char('/'))) chosen += QLatin1Char('/');
    m_target->setText(chosen + FromBytes(m_installer.product().name));
}

void InstallerPage::onInstallClicked()
{
    const QString target = m_target->text();
    if (!target.isEmpty() && m_installer.Install(target.toStdString(), m_launch->isChecked()) ==
                                 Installer::Result::Refused)
        return;  // the page stays, for another folder
    accept();
}

void InstallerPage::onAboutTriggered()
{
    const Product& product = m_installer.product();
    std::string text = "Installer version 1.0";
    if (!product.copyright.empty()) text += "\r\nCopyright " + product.copyright;
    if (!product.url.empty()) text += "\r\n" + product.url;
    m_host.showMessage(text, "About Installer", InstallerHost::Icon::Information);
}

void InstallerPage::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    const int w = width();
    FillGradient(painter, QRect(0, 0, w, 41), Qt::white, kBandColour);

    const Product& product = m_installer.product();
    QString title = FromBytes(product.name);
    if (!product.release.empty()) title += QLatin1Char(' ') + FromBytes(product.release);
    painter.setFont(m_titleFont);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, w - 16, 41),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, title);

    // Seven bars, each 5 pixels below the one above and 4 pixels narrower.
    for (int i = 0; i < 7; ++i)
        FillGradient(painter, QRect(0, 46 + i * 37, 30 - 4 * i, 32), Qt::white, kBandColour);

    FillGradient(painter, QRect(30, 241, w - 30, 3), kBandColour,
                 palette().color(QPalette::Window));
}

}  // namespace codeburg
