#include "shell/qt_messages.h"

#include <QApplication>
#include <QMessageBox>

namespace zembera {

void QtMessages::show(const std::string& text) {
    // The default title of the toolkit's boxes is the application's name.
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                    QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtMessages::askYesNo(const std::string& question) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(),
                    QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No, parent_);
    return box.exec() == QMessageBox::Yes;
}

} // namespace zembera
