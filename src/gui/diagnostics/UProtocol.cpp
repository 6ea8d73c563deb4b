#include "gui/diagnostics/UProtocol.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/diagnostics/SignallingGrid.h"
#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Named.h"

namespace tervis {

namespace {

using namespace casgrid;

// Edits a cell with the four-digit mask and reports every change of the text to the form.
class TBitsDelegate : public QStyledItemDelegate {
public:
    explicit TBitsDelegate(TProtocolForm& form) : QStyledItemDelegate(&form), form_(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = Named(new QLineEdit(parent), "CellEditor");
        editor->setInputMask("0000");
        editor->setFrame(false);
        const int row = index.row();
        const int column = index.column();
        form_.CellEditStarted(row, column);
        QObject::connect(editor, &QLineEdit::textEdited, editor,
                         [this, editor, row, column] { form_.CellTextChanged(row, column, *editor); });
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        // Only when the editor opens: the cell's text follows the editor while it is open.
        if (!editor->property("loaded").toBool()) {
            static_cast<QLineEdit*>(editor)->setText(index.data().toString());
            editor->setProperty("loaded", true);
        }
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        // The entries are already stored by the live conversion; the cells show them again.
        (void)editor;
        (void)model;
        (void)index;
        form_.CellEditEnded();
    }

private:
    TProtocolForm& form_;
};

constexpr int kGridWidth = 330;
constexpr int kRowHeight = 22;

}  // namespace

TProtocolForm::TProtocolForm(QWidget* parent) : QDialog(parent) {
    setObjectName("ProtocolForm");
    TabSet1 = Named(new QTabBar(this), "TabSet1");
    TabSet1->setExpanding(false);
    BuildGrid();
    connect(TabSet1, &QTabBar::currentChanged, this, [this] { TabSet1Change(); });
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, &TProtocolForm::CurrentCellChanged);

    QVBoxLayout* side = BuildAllButtons();
    const TDialogButtons ok = MakeDialogButtons(*this, "&ОК", "От&мена");
    Button1 = ok.Ok;
    Button1->setObjectName("Button1");
    Button2 = ok.Cancel;
    Button2->setObjectName("Button2");
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* left = new QVBoxLayout;
    left->setSpacing(0);
    left->addWidget(TabSet1);
    left->addWidget(StringGrid1);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(ok.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Ahead of every widget's own handling, as the cell editors install their delegate's filter.
    qApp->installEventFilter(this);
}

// The grid of signalling bits: headings in row 0, the row labels in columns 0 and 3, editable cells white.
void TProtocolForm::BuildGrid() {
    StringGrid1 = Named(new QTableWidget(kRows, kColumns, this), "StringGrid1");
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed);
    StringGrid1->setItemDelegate(new TBitsDelegate(*this));
    for (int row = 0; row < kRows; ++row) {
        StringGrid1->setRowHeight(row, kRowHeight);
        for (int column = 0; column < kColumns; ++column) {
            StringGrid1->setItem(row, column, MakeCell(row, column));
        }
    }
    FitGridToTabs();
}

QTableWidgetItem* TProtocolForm::MakeCell(int row, int column) const {
    auto* item = new QTableWidgetItem;
    if (IsEditable(column, row)) {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        item->setBackground(palette().base());
    } else {
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(palette().button());
    }
    item->setForeground(palette().text());
    if (row == 0) {
        item->setText(QString::fromStdString(Heading(column)));
    }
    return item;
}

// "Для всех:" and the buttons that set every entry of the page at once; each button's tag is its entry.
QVBoxLayout* TProtocolForm::BuildAllButtons() {
    Label1 = Named(new QLabel("Для всех:", this), "Label1");
    auto* side = new QVBoxLayout;
    side->addWidget(Label1);
    const std::array<std::pair<const char*, int>, kAllButtons> buttons{{{"abcd = 0001", 16},
                                                                        {"abcd = 0101", 80},
                                                                        {"abcd = 1001", 144},
                                                                        {"abcd = 1101", 208},
                                                                        {"акт. = 0000", 0},
                                                                        {"акт. = 0100", 4},
                                                                        {"акт. = 1000", 8}}};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto* button = Named(new QPushButton(buttons[i].first, this), QString("SpeedButton%1").arg(i + 1));
        button->setFlat(true);
        button->setAutoDefault(false);
        button->setProperty("tag", buttons[i].second);
        const int tag = buttons[i].second;
        connect(button, &QPushButton::clicked, this, [this, tag] { AllButtonClick(tag); });
        side->addWidget(button);
        allButtons_[i] = button;
    }
    side->addStretch();
    return side;
}

void TProtocolForm::Load(std::uint8_t layout, const std::vector<std::string>& tabs,
                         const TSlotSignalling& entries) {
    entries_ = entries;
    layout_ = layout;
    adjusting_ = true;
    while (TabSet1->count() > 0) {
        TabSet1->removeTab(0);
    }
    for (const std::string& tab : tabs) {
        TabSet1->addTab(QString::fromStdString(tab));
    }
    TabSet1->setCurrentIndex(0);
    FitGridToTabs();
    for (int row = 1; row < kRows; ++row) {
        StringGrid1->item(row, 0)->setText(QString::fromStdString(RowLabel(layout, row, false)));
        StringGrid1->item(row, 3)->setText(QString::fromStdString(RowLabel(layout, row, true)));
    }
    Fill();
    // The first abcd cell, chosen without the selection check; it has the keyboard, so that what the
    // operator types first goes into the cell shown selected.
    StringGrid1->setCurrentCell(1, 1);
    StringGrid1->setFocus();
    adjusting_ = false;
}

bool TProtocolForm::eventFilter(QObject* watched, QEvent* event) {
    // The form sees keys before its controls: Esc cancels the dialog at once, also while a cell's editor
    // would otherwise take it to end the edit only.
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && isVisible()) {
        if (type == QEvent::KeyPress) {
            reject();
        }
        event->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Every tab caption in sight, without scroll arrows: the grid, and so the window, widens for long captions
// ("компл.0 CAS#1" …); its columns share the width.
void TProtocolForm::FitGridToTabs() {
    const int width = std::max(kGridWidth, TabSet1->count() > 0 ? TabSet1->sizeHint().width() : 0);
    for (int column = 0; column < kColumns; ++column) {
        StringGrid1->setColumnWidth(column, (width - 5) / kColumns);
    }
    StringGrid1->setFixedSize(width + 2, kRows * kRowHeight + 2);
    TabSet1->setMinimumWidth(width + 2);
}

int TProtocolForm::CurrentTab() const {
    return std::max(0, TabSet1->currentIndex());
}

void TProtocolForm::Fill() {
    const int tab = CurrentTab();
    for (int row = 1; row < kRows; ++row) {
        for (int column : {1, 2, 4, 5}) {
            const std::uint16_t entry = entries_[static_cast<std::size_t>(EntryOf(tab, row, column))];
            StringGrid1->item(row, column)->setText(QString::fromStdString(CellText(entry, column)));
        }
    }
}

void TProtocolForm::TabSet1Change() {
    Fill();
}

void TProtocolForm::AllButtonClick(int tag) {
    ApplyToAll(entries_, tag);
    Fill();
}

void TProtocolForm::CellEditStarted(int row, int column) {
    remembered_ = StringGrid1->item(row, column)->text();
    editTab_ = CurrentTab();  // an editor left open over a tab change still writes its own tab
}

void TProtocolForm::CellTextChanged(int row, int column, QLineEdit& editor) {
    if (!IsEditable(column, row)) {
        return;
    }
    const auto text = [&](int c) {
        const QString value = c == column ? editor.displayText() : StringGrid1->item(row, c)->text();
        return value.leftJustified(4, ' ').toStdString();
    };
    for (int first : {1, 4}) {
        const auto entry = JoinHalfRow(text(first), text(first + 1));
        if (!entry) {
            // A half stored before stays stored; the restored text is converted again so that the
            // entries always match what the cells show.
            editor.setText(remembered_);
            if (remembered_ != editor.displayText() || remembered_.contains(' ')) {
                return;
            }
            CellTextChanged(row, column, editor);
            return;
        }
        entries_[static_cast<std::size_t>(EntryOf(editTab_, row, first))] = *entry;
    }
    StringGrid1->item(row, column)->setText(editor.displayText());
}

void TProtocolForm::CellEditEnded() {
    Fill();
}

void TProtocolForm::CurrentCellChanged(int row, int column, int previousRow, int previousColumn) {
    if (adjusting_ || row < 0 || column < 0) {
        return;
    }
    const int targetRow = row == 0 ? 1 : row;
    const int targetColumn = SelectableColumn(column, previousRow < 0 ? 1 : previousColumn);
    if (targetRow != row || targetColumn != column) {
        adjusting_ = true;
        StringGrid1->setCurrentCell(targetRow, targetColumn);
        adjusting_ = false;
    }
}

}  // namespace tervis
