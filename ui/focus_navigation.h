#pragma once

#include <QObject>

class QWidget;

namespace agrimor {

// Keyboard navigation of the input fields: Esc in a watched field moves the focus to the previous
// control in the tab order, as Shift+Tab would, and the field swallows the key (so it neither
// closes a dialog nor triggers an Esc shortcut).
class EscapeMovesBack : public QObject {
    Q_OBJECT
public:
    explicit EscapeMovesBack(QObject* parent = nullptr) : QObject(parent) {}

    void watch(QWidget* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Watches `field` with a filter that the field owns.
void moveBackOnEscape(QWidget* field);

}  // namespace agrimor
