#pragma once

#include <QString>
#include <QStringList>

namespace agrimor {

// The findings of a check, one text per anomaly, in the order found. Checks only append; the
// command that ran them decides from isEmpty() whether to go on, and writes the texts out.
class AnomalyList {
public:
    void append(const QString& text) { items_.append(text); }
    bool isEmpty() const { return items_.isEmpty(); }
    qsizetype size() const { return items_.size(); }
    const QStringList& items() const { return items_; }
    void clear() { items_.clear(); }

private:
    QStringList items_;
};

}  // namespace agrimor
