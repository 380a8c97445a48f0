#pragma once

#include <QDialog>

class QVBoxLayout;

namespace codeburg {

// A dialog with a white information banner across its top. Subclasses put
// their controls into body().
class BannerDialog : public QDialog {
    Q_OBJECT
public:
    BannerDialog(int bannerHeight, const QString& bannerText, QWidget* parent = nullptr);

    const QString& bannerText() const { return m_text; }

protected:
    QVBoxLayout* body() const { return m_body; }
    void paintEvent(QPaintEvent* event) override;

private:
    int m_height;
    QString m_text;
    QVBoxLayout* m_body;
};

}  // namespace codeburg
