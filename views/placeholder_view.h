#pragma once

#include <QWidget>

#include "app/document.h"

namespace codeburg {

// A pane the frame lays out and switches before its real content exists:
// it shows its own name and ignores the document's notifications.
class PlaceholderView : public QWidget, public View {
    Q_OBJECT
public:
    PlaceholderView(const QString& className, QWidget* parent = nullptr);

    void onUpdate(View* sender, int hint, void* object) override;
    int lastHint() const { return m_lastHint; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_lastHint = -1;
};

}  // namespace codeburg
