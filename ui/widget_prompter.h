#pragma once

#include <QPointer>
#include <QWidget>

#include "core/prompter.h"

namespace agrimor {

// The prompt seam shown as Qt message boxes, with the program's own Portuguese button texts.
// The parent is optional; the box is centred on it when given.
class WidgetPrompter : public Prompter {
public:
    explicit WidgetPrompter(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }

    Answer ask(const Prompt& prompt) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace agrimor
