#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace tervis {

// The mismatch report of a comparison. Created once and reused: each comparison replaces the lines and
// shows the window modally.
class TReportForm : public QDialog {
    Q_OBJECT
public:
    explicit TReportForm(QWidget* parent = nullptr);

    void SetLines(const std::vector<std::string>& lines);
    // Opens centred on the screen rather than on the main window.
    void setVisible(bool visible) override;

private:
    int ExtraWidth() const;  // the layout's margins beside the text box

    QPlainTextEdit* Memo1;
    QPushButton* Button1;
};

}  // namespace tervis
