#pragma once
// Message boxes of the window: a message with OK, a Yes/No question with the question icon.

#include <QMessageBox>
#include <QWidget>
#include <memory>

#include "common/messages.h"

namespace zembera {

// The boxes as the window shows them, built but not yet shown.
std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, QWidget* parent);
std::unique_ptr<QMessageBox> makeQuestionBox(const std::string& question, QWidget* parent);

class QtMessages : public MessageService {
  public:
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const std::string& text) override;
    bool askYesNo(const std::string& question) override;

  private:
    QWidget* parent_;
};

} // namespace zembera
