#pragma once

#include <QApplication>

namespace agrimor {

// Keeps the wait cursor up while a screen blocks on a file or the database; gone with the scope,
// also when the work throws, so the cursor is back before the error is shown.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace agrimor
