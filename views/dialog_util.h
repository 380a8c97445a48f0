#pragma once

#include <QString>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace codeburg {

// One labelled line of a form dialog: the label, the edit and, when
// "browse" is set, a "..." button after it. Control ids are kept as the
// widgets' "controlId" property.
QLineEdit* AddField(QGridLayout* grid, int row, const QString& label, int editId,
                    const QString& objectName, QPushButton** browse = nullptr, int browseId = 0);
QString LastComponent(const QString& path);

}  // namespace codeburg
