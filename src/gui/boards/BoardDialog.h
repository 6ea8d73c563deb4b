#pragma once

// What every board configuration dialog shares: the OK and Cancel buttons, Esc from anywhere in the
// dialog (an open list or a focused edit included), the guarded OK with its message, and the load and
// store of the fields that the block tables describe.

#include <QDialog>
#include <QString>
#include <QStringList>

#include <span>
#include <vector>

#include "core/boards/BlockFields.h"
#include "core/model/Mux.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QListWidget;
class QHBoxLayout;
class QListWidgetItem;
class QSlider;
class QTabWidget;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace tervis {

class IDialogs;

namespace boards {

// How the OK handler reports a failure to rebuild the working copy.
enum class TOkGuard {
    None,  // a range failure shows "Range check error", refused parameters their message
    Parameters,  // any failure shows "Указаны неправильные значения параметров"
};

inline const QString kInvalidParametersText = "Указаны неправильные значения параметров";
inline const QString kRangeCheckText = "Range check error";

class TConfigDialog : public QDialog {
    Q_OBJECT
public:
    struct TButtonNames {
        const char* Ok;
        const char* Cancel;
    };
    TConfigDialog(IDialogs& dialogs, QWidget* parent, TButtonNames names, TOkGuard guard);
    ~TConfigDialog() override;

    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // A control by its objectName; throws EInvalidParameters when the dialog has none of that name and
    // kind, which a guarded OK reports like any other invalid parameter.
    template <typename W>
    W* Control(const QString& name) const {
        W* control = findChild<W*>(name);
        if (control == nullptr) {
            throw EInvalidParameters("no control " + name.toStdString());
        }
        return control;
    }

protected:
    // Rebuilds the working copy from the controls; throws when they do not give valid values.
    virtual void RebuildWorkingCopy() = 0;
    // The OK handler: rebuild, then close with OK; on a failure tell the operator and stay open.
    void RunOkHandler();
    // Subclasses put their controls here, above the buttons.
    QVBoxLayout* Body() const { return body_; }

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // Controls made from a field's table entry, named and captioned from it.
    QCheckBox* MakeBox(const TBlockField& field, int set, QWidget* parent);
    QComboBox* MakeList(const TBlockField& field, int set, QWidget* parent);
    std::vector<QRadioButton*> MakeRadios(const TBlockField& field, int set, QWidget* parent);
    // A group box named after the field with one radio button per item, in a column.
    QGroupBox* MakeRadioGroup(const TBlockField& field, int set, const QString& title, QWidget* parent);
    // A check list named after a CheckItem field, one checkable item per set.
    QListWidget* MakeCheckList(const TBlockField& field, const QStringList& items, QWidget* parent);
    // The captions of a check list, one per set: format with %1 for the set number.
    static QStringList SetItems(const char* format);
    // A list under its label, as one column of a row of lists.
    static void AddListColumn(QHBoxLayout* row, const QString& label, QWidget* list);
    // A track bar over a Level field's codes, a tick and a page every 15 codes.
    QSlider* MakeTrackBar(const TBlockField& field, int set, QWidget* parent);
    // A caption label and a list side by side in a grid row.
    QComboBox* AddListRow(QGridLayout* grid, int row, const TBlockField& field, int set, QWidget* parent,
                          const QString& caption = {});

    // Sets a field's control from the words; a check box's handler runs when its state changes.
    void LoadField(std::span<const std::uint16_t> words, const TBlockField& field, int set);
    // Writes a field's value from its control into the words.
    void StoreField(std::span<std::uint16_t> words, const TBlockField& field, int set) const;
    // The radio buttons of a field, in item order; -1 checks none.
    std::vector<QRadioButton*> Radios(const TBlockField& field, int set) const;
    QListWidgetItem* CheckItem(const TBlockField& field, int set) const;
    static void CheckRadio(const std::vector<QRadioButton*>& buttons, int index);
    static int CheckedRadio(const std::vector<QRadioButton*>& buttons);

private:
    IDialogs& dialogs_;
    TOkGuard guard_;
    QVBoxLayout* body_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool tabOrderSet_ = false;
};

// A dialog that edits the 18-byte configuration block of one slot.
class TBoardDialog : public TConfigDialog {
    Q_OBJECT
public:
    TBoardDialog(const TBlockLayout& layout, IDialogs& dialogs, QWidget* parent, TButtonNames names,
                 TOkGuard guard = TOkGuard::None);

    // Copies the block into the working copy and sets every owned control from it.
    void LoadFromBlock(const TBoardConfig& block);
    // Copies the whole working copy out; reads no controls.
    void StoreToBlock(TBoardConfig& block) const { block = block_; }
    const TBoardConfig& WorkingCopy() const { return block_; }
    const TBlockLayout& Layout() const { return layout_; }

protected:
    // Sets the controls from the working copy: by default field by field in table order, each field's
    // sets in turn.
    virtual void LoadControls();
    // Clears the words rebuilt whole, then stores every field; unlisted words keep their loaded values.
    void RebuildWorkingCopy() override;
    const TBlockField& Field(std::string_view control) const;
    // Where a set's list stands among the set's other controls.
    enum class TListPlace { InOrder, First };
    // A group box per set (" Комплект №N ", named GroupBox<N+1>), two to a row, below the controls so far,
    // with a column of the set's controls: lists beside their captions, radio buttons in a row, boxes.
    void AddSetGroups(TListPlace lists = TListPlace::InOrder);
    // The subscriber boards' row of check lists below the controls so far, begun with the first field's
    // "Режим работы комплектов" (an item per set: "Отключить комплект №N"); the caller may add columns.
    QHBoxLayout* AddSetsOffRow();
    // A radio group of the field per set (" Комплект N "), two to a row.
    QGridLayout* MakeSetRadioGroups(const TBlockField& field, QWidget* parent);

    const TBlockLayout& layout_;
    TBoardConfig block_{};
    TBoardConfig loaded_{};  // the block as loaded, for the fields that are only shown
};

// A dialog that starts with its block's set groups: OkButton and CancelButton, and OK refused while the
// values do not fit the block (4C64, 4И15, 4TLG).
class TSetGroupsDialog : public TBoardDialog {
    Q_OBJECT
public:
    TSetGroupsDialog(std::uint8_t type, const QString& name, IDialogs& dialogs, QWidget* parent);
};

// A group box with a column of controls inside.
struct TColumnGroup {
    QGroupBox* Box;
    QVBoxLayout* Column;
};
TColumnGroup MakeColumnGroup(const QString& title, QWidget* parent);

// The dialogs' page control, named "PageControl1", and its page number n, named "TabSheet<n>".
QTabWidget* MakePageControl(QWidget* parent);
QWidget* MakeTabSheet(QWidget* pages, int number);

// Creates the dialog of a board type (the CPU's included), or null for a type without one.
std::unique_ptr<TConfigDialog> CreateBoardDialog(std::uint8_t type, IDialogs& dialogs, QWidget* parent);

// Opens the dialog of the slot's board on the slot's block (the CPU's on the multiplexer settings record)
// and, on OK, gives the result to the model, which sends it on when it changed. True when the operator
// confirmed; false on Cancel and for a type without a dialog (empty, ТЛМ, 4DSL', unknown codes).
bool EditBoardConfig(TMux& model, int slot, IDialogs& dialogs, QWidget* parent);

}  // namespace boards
}  // namespace tervis
