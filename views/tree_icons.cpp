#include "views/tree_icons.h"

#include <QPainter>
#include <QPixmap>
#include <array>

namespace codeburg {

namespace {

QPixmap Draw(int index)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(40, 40, 125);
    switch (index) {
        case 0:  // workspace: a small city block of three towers
            p.fillRect(1, 7, 4, 8, QColor(90, 120, 200));
            p.fillRect(6, 2, 4, 13, ink);
            p.fillRect(11, 5, 4, 10, QColor(120, 160, 90));
            p.fillRect(0, 15, 16, 1, Qt::black);
            break;
        case 1:  // folder
            p.setPen(QColor(150, 110, 20));
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(1, 4, 13, 10);
            p.fillRect(2, 2, 5, 2, QColor(240, 200, 80));
            break;
        case 2:  // project: a page with code lines
            p.setPen(Qt::black);
            p.setBrush(Qt::white);
            p.drawRect(2, 1, 11, 14);
            for (int y = 4; y <= 12; y += 2) p.fillRect(4, y, (y % 4) ? 7 : 5, 1, ink);
            break;
        case 3:  // project setting: a small gear-like dot
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(110, 110, 110));
            p.drawEllipse(4, 4, 8, 8);
            p.setBrush(Qt::white);
            p.drawEllipse(6, 6, 4, 4);
            break;
        default:  // total: a sum sign
            p.setPen(QPen(QColor(170, 30, 30), 2));
            p.drawLine(4, 3, 12, 3);
            p.drawLine(4, 3, 9, 8);
            p.drawLine(9, 8, 4, 13);
            p.drawLine(4, 13, 12, 13);
            break;
    }
    return pixmap;
}

}  // namespace

QIcon TreeIcon(int index)
{
    static std::array<QIcon, 5> icons;
    if (index < 0 || index > 4) index = 4;
    if (icons[index].isNull()) icons[index] = QIcon(Draw(index));
    return icons[index];
}

}  // namespace codeburg
