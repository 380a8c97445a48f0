#include "views/banner_dialog.h"

#include <QPainter>
#include <QVBoxLayout>

namespace codeburg {

BannerDialog::BannerDialog(int bannerHeight, const QString& bannerText, QWidget* parent)
    : QDialog(parent), m_height(bannerHeight), m_text(bannerText)
{
    m_body = new QVBoxLayout(this);
    m_body->setContentsMargins(11, bannerHeight + 8, 11, 11);
    setMinimumWidth(460);
}

void BannerDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect band(0, 0, width(), m_height);
    painter.fillRect(band, Qt::white);
    painter.setPen(Qt::black);
    painter.setFont(font());
    QString text = m_text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    painter.drawText(band.adjusted(8, 8, -8, -8), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                     text);
}

}  // namespace codeburg
