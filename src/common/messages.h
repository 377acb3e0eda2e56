#pragma once
// The one way the program talks to the user in boxes: a message with OK, or a Yes/No question.
// The window shows real message boxes; tests record the messages and answer as told.

#include <string>
#include <vector>

namespace zembera {

class MessageService {
  public:
    virtual ~MessageService() = default;
    // Shows a message with a single OK button and waits until it is closed.
    virtual void show(const std::string& text) = 0;
    // Asks a Yes/No question (question icon); true means Yes.
    virtual bool askYesNo(const std::string& question) = 0;
};

// Writes messages to standard error; questions are answered Yes. For runs without a window.
class StderrMessages : public MessageService {
  public:
    void show(const std::string& text) override;
    bool askYesNo(const std::string& question) override;
};

// Keeps every message and question; answers questions with `answer`.
class RecordedMessages : public MessageService {
  public:
    void show(const std::string& text) override { shown.push_back(text); }
    bool askYesNo(const std::string& question) override {
        asked.push_back(question);
        return answer;
    }
    std::vector<std::string> shown;
    std::vector<std::string> asked;
    bool answer = true;
};

} // namespace zembera
