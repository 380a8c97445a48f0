#include "views/welcome_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace codeburg {

WelcomeDialog::WelcomeDialog(QWidget* parent) : DecoratedDialog(QString(), parent)
{
    setObjectName(QStringLiteral("WelcomeDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(44, 52, 16, 12);
    auto* heading = new QLabel(QStringLiteral("Welcome to CODEBURG !"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    for (const char* text :
         {"As it is your first time with CODEBURG, a default workspace was created and is now "
          "selected in the project view. To start reviewing projects, you simply need to add "
          "them into the workspace.",
          "To do so, click the ADD PROJECT button down below and then select a project "
          "directory. The default settings should be ok for your first project."}) {
        auto* label = new QLabel(QLatin1String(text));
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addStretch();
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("&Add first project..."), QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(480, 250);
}

}  // namespace codeburg
