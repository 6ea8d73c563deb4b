#pragma once

// The board dialogs' tests: making a dialog by board type, finding its named controls, operating them as
// an operator would, and the block that OK gives back.

#include <QComboBox>
#include <QPushButton>

#include <memory>
#include <span>

#include <gtest/gtest.h>

#include "gui/boards/BoardDialog.h"
#include "support/UntouchedBlocks.h"

namespace tervis::test {

// The dialog of a board type that edits a block; a failure where the type has none.
inline std::unique_ptr<boards::TBoardDialog> MakeBoard(std::uint8_t type, IDialogs& dialogs) {
    std::unique_ptr<boards::TConfigDialog> dialog = boards::CreateBoardDialog(type, dialogs, nullptr);
    auto* board = dynamic_cast<boards::TBoardDialog*>(dialog.get());
    EXPECT_NE(board, nullptr) << int{type};
    if (board != nullptr) {
        dialog.release();
    }
    return std::unique_ptr<boards::TBoardDialog>(board);
}

// A control by name; a failure (and null) where the dialog has none of that name and kind.
template <typename W>
W* Find(QWidget& dialog, const QString& name) {
    W* widget = dialog.findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
}

// The operator picks an item: the list changes and its handler runs.
inline void Pick(QComboBox* list, int index) {
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(index);
    emit list->activated(index);
}

inline void Pick(QWidget& dialog, const QString& list, int index) {
    Pick(Find<QComboBox>(dialog, list), index);
}

// The item a list shows, "(none)" without a selection.
inline QString Shown(QWidget& dialog, const QString& list) {
    auto* box = Find<QComboBox>(dialog, list);
    return box == nullptr || box->currentIndex() < 0 ? QString("(none)") : box->currentText();
}

// Presses OK, which must close the dialog, and gives the block it stored.
inline TBoardConfig Ok(boards::TBoardDialog& dialog) {
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    TBoardConfig out{};
    dialog.StoreToBlock(out);
    return out;
}

inline void ExpectUntouchedDialogs(std::span<const TUntouchedCase> cases, IDialogs& dialogs) {
    for (const TUntouchedCase& c : cases) {
        SCOPED_TRACE(c.What);
        std::unique_ptr<boards::TBoardDialog> dialog = MakeBoard(c.Type, dialogs);
        ASSERT_NE(dialog, nullptr);
        dialog->LoadFromBlock(c.In);
        EXPECT_EQ(Ok(*dialog), c.Out);
    }
}

}  // namespace tervis::test
