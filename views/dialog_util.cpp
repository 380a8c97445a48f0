#include "views/dialog_util.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace codeburg {

QLineEdit* AddField(QGridLayout* grid, int row, const QString& label, int editId,
                    const QString& objectName, QPushButton** browse, int browseId)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(objectName);
    edit->setProperty("controlId", editId);
    auto* text = new QLabel(label);
    text->setBuddy(edit);
    grid->addWidget(text, row, 0);
    grid->addWidget(edit, row, 1);
    if (browse) {
        *browse = new QPushButton(QStringLiteral("..."));
        (*browse)->setObjectName(QStringLiteral("browse"));
        (*browse)->setProperty("controlId", browseId);
        (*browse)->setFixedWidth(32);
        (*browse)->setAutoDefault(false);
        grid->addWidget(*browse, row, 2);
    }
    return edit;
}

QString LastComponent(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 &&
           (trimmed.endsWith(QLatin1Char('/')) || trimmed.endsWith(QLatin1Char('\\')))) {
        trimmed.chop(1);
    }
    const int at =
        qMax(trimmed.lastIndexOf(QLatin1Char('/')), trimmed.lastIndexOf(QLatin1Char('\\')));
    return trimmed.mid(at + 1);
}

}  // namespace codeburg
