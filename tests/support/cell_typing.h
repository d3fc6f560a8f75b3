#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

namespace agrimor::test {

// Opens the editor of `cell` as a click would; null when the cell opened none.
inline QLineEdit* openCellEditor(QAbstractItemView& grid, const QModelIndex& cell) {
    grid.setCurrentIndex(cell);
    grid.edit(cell);
    for (QLineEdit* editor : grid.viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

// Types `text` into `cell` as a person would: opens the editor, replaces what it holds and
// presses Enter. Enter commits through a queued call and the editor is deleted later; both have
// happened on return.
inline void typeIntoCell(QAbstractItemView& grid, const QModelIndex& cell, const QString& text) {
    QLineEdit* editor = openCellEditor(grid, cell);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace agrimor::test
