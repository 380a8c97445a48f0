#include "gui/decorated_dialog.h"

#include <QLinearGradient>
#include <QPainter>

#include "gui/product_name.h"

namespace codeburg {

namespace {

const QColor kInk(40, 40, 125);

void FillGradient(QPainter& painter, const QRect& rect, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(rect.left(), 0, rect.right() + 1, 0);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(rect, gradient);
}

}  // namespace

QFont LargeFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(21);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

DecoratedDialog::DecoratedDialog(const QString& title, QWidget* parent)
    : QDialog(parent), m_header(title.isEmpty() ? ProductName() : title)
{
    setWindowTitle(m_header);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Button, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    white.setColor(QPalette::ButtonText, Qt::black);
    white.setColor(QPalette::Text, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);
    setMinimumWidth(480);
}

void DecoratedDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    painter.fillRect(rect(), Qt::white);
    FillGradient(painter, QRect(0, 0, w, 41), Qt::white, kInk);
    painter.setFont(LargeFont());
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, w - 16, 41),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_header);
    int top = 46;
    int right = 30;
    for (int bar = 0; bar < 7; ++bar) {
        // Each bar starts 5 pixels below the previous one and is 4 narrower.
        FillGradient(painter, QRect(0, top, right, 32), Qt::white, kInk);
        top += 32 + 5;
        right -= 4;
    }
    FillGradient(painter, QRect(30, m_lineTop, w - 30, 3), kInk, Qt::white);
}

}  // namespace codeburg
