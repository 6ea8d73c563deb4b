#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace tervis {

// The About box: the product line and when the running executable was built.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    // The modification time of the file as "dd.mm.yy hh:nn"; empty when the file does not exist.
    static QString BuildTimeText(const QString& fileName);

private:
    QLabel* Label1;
    QLabel* BuildLabel;
    QPushButton* OKButton;
};

}  // namespace tervis
