#include "shell/qt_messages.h"

#include <QApplication>
#include <QPushButton>

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

std::unique_ptr<QMessageBox>
makeChoiceBox(const std::string& text, const std::vector<std::string>& buttons, QWidget* parent) {
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::NoIcon, QApplication::applicationName(),
                                      QString::fromStdString(text), QMessageBox::NoButton, parent);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bool last = i + 1 == buttons.size();
        QPushButton* b =
            box->addButton(QString::fromStdString(buttons[i]),
                           last && i > 0 ? QMessageBox::RejectRole : QMessageBox::ActionRole);
        if (i == 0) box->setDefaultButton(b);
        if (last) box->setEscapeButton(b);
    }
    return box;
}

int QtMessages::choose(const std::string& text, const std::vector<std::string>& buttons) {
    const auto box = makeChoiceBox(text, buttons, parent_);
    box->exec();
    const QAbstractButton* clicked = box->clickedButton();
    // The box lists its buttons in the order they were added.
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (clicked && clicked->text() == QString::fromStdString(buttons[i]))
            return static_cast<int>(i);
    return -1;
}

} // namespace zembera
