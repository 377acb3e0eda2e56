#pragma once
// Message boxes of the window: a message with OK, a Yes/No question with the question icon.

#include <QWidget>

#include "common/messages.h"

namespace zembera {

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
