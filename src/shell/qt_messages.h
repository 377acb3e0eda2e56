#pragma once
// Message boxes of the window: a message with OK, a Yes/No question with the question icon.

#include <QMessageBox>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "common/messages.h"

namespace zembera {

// The boxes as the window shows them, built but not yet shown.
std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, QWidget* parent);
std::unique_ptr<QMessageBox> makeQuestionBox(const std::string& question, QWidget* parent);
// A box with one button of each caption, the first the default, the last pressed by Escape.
std::unique_ptr<QMessageBox>
makeChoiceBox(const std::string& text, const std::vector<std::string>& buttons, QWidget* parent);

class QtMessages : public MessageService {
  public:
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const std::string& text) override;
    bool askYesNo(const std::string& question) override;
    int choose(const std::string& text, const std::vector<std::string>& buttons) override;

  private:
    QWidget* parent_;
};

} // namespace zembera
