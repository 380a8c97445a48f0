#include "views/placeholder_view.h"

#include <QPainter>

namespace codeburg {

PlaceholderView::PlaceholderView(const QString& className, QWidget* parent) : QWidget(parent)
{
    setObjectName(className);
    setAutoFillBackground(true);
}

void PlaceholderView::onUpdate(View*, int hint, void*)
{
    m_lastHint = hint;
}

void PlaceholderView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawText(rect(), Qt::AlignCenter, objectName());
}

}  // namespace codeburg
