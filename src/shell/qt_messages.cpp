#include "shell/qt_messages.h"

#include <QApplication>

namespace zembera {

// The default title of the toolkit's boxes is the application's name.
std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, QWidget* parent) {
    return std::make_unique<QMessageBox>(QMessageBox::NoIcon, QApplication::applicationName(),
                                         QString::fromStdString(text), QMessageBox::Ok, parent);
}

std::unique_ptr<QMessageBox> makeQuestionBox(const std::string& question, QWidget* parent) {
    return std::make_unique<QMessageBox>(QMessageBox::Question, QApplication::applicationName(),
                                         QString::fromStdString(question),
                                         QMessageBox::Yes | QMessageBox::No, parent);
}

void QtMessages::show(const std::string& text) {
    makeMessageBox(text, parent_)->exec();
}

bool QtMessages::askYesNo(const std::string& question) {
    return makeQuestionBox(question, parent_)->exec() == QMessageBox::Yes;
}

} // namespace zembera
