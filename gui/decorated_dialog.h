#pragma once

#include <QDialog>

namespace codeburg {

// The dialog style shared by the welcome, quote and IDE tools dialogs: a
// gradient title band, seven gradient bars down the left margin, a thin
// gradient line and white controls.
class DecoratedDialog : public QDialog {
    Q_OBJECT
public:
    // An empty title shows the product name and version.
    explicit DecoratedDialog(const QString& title, QWidget* parent = nullptr);

    const QString& headerText() const { return m_header; }

protected:
    void setHeaderText(const QString& text) { m_header = text; }
    void setLineTop(int y) { m_lineTop = y; }
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_header;
    int m_lineTop = 202;
};

// The large font the views and the decorated band share: Arial, 21 pixels.
QFont LargeFont();

}  // namespace codeburg
