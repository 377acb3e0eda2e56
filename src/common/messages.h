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
    // Shows `text` with one button of each caption; the index of the button pressed, or -1 when
    // the box is closed without one (Escape presses the last button, the one that cancels).
    // Without buttons of its own a service shows the text and takes the first.
    virtual int choose(const std::string& text, const std::vector<std::string>& buttons) {
        (void)buttons;
        show(text);
        return 0;
    }
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
    // Keeps the text as a message; presses the buttons of `choices` in turn, then the first.
    int choose(const std::string& text, const std::vector<std::string>& buttons) override {
        shown.push_back(text);
        offered.push_back(buttons);
        if (choices.empty()) return 0;
        const int choice = choices.front();
        choices.erase(choices.begin());
        return choice;
    }
    std::vector<std::string> shown;
    std::vector<std::string> asked;
    std::vector<std::vector<std::string>> offered;
    std::vector<int> choices;
    bool answer = true;
};

} // namespace zembera
