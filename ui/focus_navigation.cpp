#include "ui/focus_navigation.h"

#include <QKeyEvent>
#include <QWidget>

namespace agrimor {

namespace {

bool isEscape(const QEvent* event) {
    return (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
           static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
}

// QWidget::focusNextPrevChild() is protected; a member pointer taken through a class that makes
// it public calls the (virtual) function on any widget, as the widget's own Shift+Tab would.
struct FocusChain : QWidget {
    using QWidget::focusNextPrevChild;
};

}  // namespace

void EscapeMovesBack::watch(QWidget* field) {
    if (field)
        field->installEventFilter(this);
}

bool EscapeMovesBack::eventFilter(QObject* watched, QEvent* event) {
    if (!isEscape(event) || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Claim the key so it arrives here as a key press instead of firing a shortcut.
        event->accept();
        return true;
    }
    bool (QWidget::*previous)(bool) = &FocusChain::focusNextPrevChild;
    (static_cast<QWidget*>(watched)->*previous)(false);
    return true;
}

void moveBackOnEscape(QWidget* field) {
    if (field)
        (new EscapeMovesBack(field))->watch(field);
}

}  // namespace agrimor
