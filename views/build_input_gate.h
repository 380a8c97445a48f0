#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace codeburg {

// A build runs on the user-interface thread and lets the window repaint now
// and then; nothing the user does may reach the workspace meanwhile. While it
// lives, this filter drops the input meant for "window" (mouse, keys, wheel,
// drops), except what goes to "cancel", and turns Esc into a call of
// "onStop". Windows opened during the build, such as its message boxes, take
// input as usual.
class BuildInputGate : public QObject {
public:
    BuildInputGate(QWidget* window, QWidget* cancel, std::function<void()> onStop);
    ~BuildInputGate() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QWidget* m_cancel;
    std::function<void()> m_onStop;
};

}  // namespace codeburg
