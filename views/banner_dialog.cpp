#include "views/banner_dialog.h"

#include <QPainter>
#include <QVBoxLayout>

namespace codeburg {

BannerDialog::BannerDialog(int bannerHeight, const QString& bannerText, QWidget* parent)
    : QDialog(parent), m_height(bannerHeight), m_text(bannerText)
{
    // The heights were chosen for a smaller dialog font; the banner grows when
    // the text would not fit, rather than cutting it off.
    constexpr int kWidth = 520;
    setMinimumWidth(kWidth);
    QString text = m_text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QRect needed =
        fontMetrics().boundingRect(QRect(0, 0, kWidth - 16, 10000), Qt::TextWordWrap, text);
    m_height = qMax(m_height, needed.height() + 16);
    m_body = new QVBoxLayout(this);
    m_body->setContentsMargins(11, m_height + 8, 11, 11);
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
