#pragma once

#include <QDialog>

#include <memory>
#include <string>

#include "core/link/PacketHandler.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tervis {

// The progress window of one phase of a device operation: how many packets of the batch are done, and
// the operator's way to cancel. Its modal loop keeps the link's timer and the serial port running.
class TProgressForm : public QDialog, public IProgressWindow {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget* parent = nullptr);

    void Start(int total) override;
    void Update(int remaining) override;
    // True when the queue ran empty; false when cancelled or closed in any other way.
    bool Execute() override;
    // Cancel, Escape or closing the window: the operation is cancelled.
    void reject() override;

    bool Completed() const { return completed_; }
    // Refreshes the bar and the label from the last reported queue length (the 10 ms timer's work).
    void Timer1Timer();

private:
    QProgressBar* ProgressBar1;
    QLabel* Label1;
    QPushButton* CancelButton;
    QTimer* Timer1;
    int total_ = 0;
    int remaining_ = 0;
    bool started_ = false;
    bool completed_ = false;
    bool cancelled_ = false;
};

// Creates the progress windows of the device operations, owned by the main window.
class TProgressFactory : public IProgressFactory {
public:
    explicit TProgressFactory(QWidget* parent) : parent_(parent) {}
    std::unique_ptr<IProgressWindow> CreateProgress(const std::string& caption) override;

private:
    QWidget* parent_;
};

}  // namespace tervis
