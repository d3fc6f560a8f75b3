#pragma once

#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

namespace agrimor {

// A screen's command button, named as tests and the layout refer to it. It is never the dialog's
// default button: Enter in a field must not press a button behind the user's back.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tip);

// An input field named "campo<index>", as the screens number their fields, holding at most
// `maxLength` characters (no limit for 0); Esc in it moves back to the previous control.
QLineEdit* makeField(QWidget* parent, int index, const QString& tip = {}, int maxLength = 0);

}  // namespace agrimor
