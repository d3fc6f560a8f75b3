#include "ui/controls.h"

#include <QLineEdit>
#include <QPushButton>

#include "ui/focus_navigation.h"

namespace agrimor {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* makeField(QWidget* parent, int index, const QString& tip, int maxLength) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QStringLiteral("campo%1").arg(index));
    field->setToolTip(tip);
    if (maxLength > 0)
        field->setMaxLength(maxLength);
    moveBackOnEscape(field);
    return field;
}

}  // namespace agrimor
