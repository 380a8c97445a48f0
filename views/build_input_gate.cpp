#include "views/build_input_gate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace codeburg {

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

}  // namespace

BuildInputGate::BuildInputGate(QWidget* window, QWidget* cancel, std::function<void()> onStop)
    : m_window(window), m_cancel(cancel), m_onStop(std::move(onStop))
{
    qApp->installEventFilter(this);
}

BuildInputGate::~BuildInputGate()
{
    qApp->removeEventFilter(this);
}

bool BuildInputGate::eventFilter(QObject* watched, QEvent* event)
{
    if (!IsUserInput(event->type())) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window) return false;
    if (m_cancel && (widget == m_cancel || m_cancel->isAncestorOf(widget))) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Taken here, the key goes on as a key press, which is dropped below:
        // no menu command starts from the keyboard while the build runs.
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && m_onStop) {
        m_onStop();
    }
    return true;
}

}  // namespace codeburg
