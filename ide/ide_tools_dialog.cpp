#include "ide/ide_tools_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/interaction.h"
#include "gui/profile.h"
#include "ide/ide_tools.h"
#include "platform/registry.h"

namespace codeburg {

IdeToolsDialog::IdeToolsDialog(Registry& registry, QWidget* parent)
    : DecoratedDialog(QStringLiteral("Customize VC++"), parent), m_registry(registry)
{
    setObjectName(QStringLiteral("IdeToolsDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(44, 52, 16, 12);
    auto* intro = new QLabel(
        QStringLiteral("CODEBURG has detected that you have the following development environments "
                       "installed."));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_vc6 = new QCheckBox(QStringLiteral("Visual 6.0"));
    m_vc6->setProperty("controlId", 1068);
    m_vc6->setChecked(true);
    m_vc6->setEnabled(IdeInstalled(registry, Ide::Vc6));
    m_vc7 = new QCheckBox(QStringLiteral("Visual .Net 7.0"));
    m_vc7->setProperty("controlId", 1069);
    m_vc7->setChecked(true);
    m_vc7->setEnabled(IdeInstalled(registry, Ide::Vc7));
    layout->addWidget(m_vc6);
    layout->addWidget(m_vc7);
    auto* question = new QLabel(
        QStringLiteral("Do you want to add CODEBURG as an external tool to those environments ?"));
    question->setWordWrap(true);
    layout->addWidget(question);
    m_dontAsk = new QCheckBox(QStringLiteral("Don't ask me again"));
    m_dontAsk->setProperty("controlId", 1067);
    layout->addWidget(m_dontAsk);
    layout->addStretch();
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("&Create tool shortcuts"), QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &IdeToolsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IdeToolsDialog::reject);
    layout->addWidget(buttons);
    resize(480, 280);
}

void IdeToolsDialog::storeDontAsk()
{
    WriteProfileInt(QStringLiteral("MAIN"), QStringLiteral("TOOLDONTASK"),
                    m_dontAsk->isChecked() ? 1 : 0);
}

void IdeToolsDialog::accept()
{
    if (!m_vc6->isChecked() && !m_vc7->isChecked()) {
        Message(this, QStringLiteral("Please select at least one environment"));
        return;
    }
    const std::string executable = QCoreApplication::applicationFilePath().toStdString();
    if (m_vc6->isChecked()) {
        Message(this,
                QStringLiteral("If Visual C++ 6.0 is started, please shut it down before we "
                               "customize the tools menu."),
                QMessageBox::Information);
        RegisterTool(m_registry, Ide::Vc6, executable);
    }
    if (m_vc7->isChecked()) {
        Message(this,
                QStringLiteral("If Visual C++ 7.0 (.NET) is started, please shut it down "
                               "before we customize the tools menu."),
                QMessageBox::Information);
        RegisterTool(m_registry, Ide::Vc7, executable);
    }
    storeDontAsk();
    QDialog::accept();
}

void IdeToolsDialog::reject()
{
    storeDontAsk();
    QDialog::reject();
}

}  // namespace codeburg
