#pragma once

#include "app/model/Dialogs.h"

#include <deque>
#include <stdexcept>
#include <vector>

namespace ondrix::app::testing {

// Dialogs answered from a script, in order. Every question asked is logged;
// a question the script has no answer for fails the test with an exception.
class TScriptedDialogs : public TDialogs
{
  public:
    struct Question
    {
        QString Caption;
        QString Prompt; // prompt label or message text
        QString PreFilled;
    };

    // Next prompt: answered with `text`, or cancelled.
    void Answer(const QString& text) { prompts_.push_back(text); }
    void Cancel() { prompts_.push_back(std::nullopt); }
    void AnswerMessage(TMsgResult result) { messages_.push_back(result); }
    void AnswerSave(std::optional<QString> fileName) { saves_.push_back(std::move(fileName)); }

    const std::vector<Question>& Asked() const { return asked_; }
    bool ScriptUsedUp() const { return prompts_.empty() && messages_.empty() && saves_.empty(); }

    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override
    {
        asked_.push_back({caption, prompt, value});
        if (prompts_.empty()) throw std::logic_error("unexpected prompt: " + caption.toStdString());
        const auto answer = prompts_.front();
        prompts_.pop_front();
        if (!answer) return false;
        value = *answer;
        return true;
    }

    TMsgResult MessageBox(const QString& caption, const QString& text, TMsgIcon, TMsgButtons) override
    {
        asked_.push_back({caption, text, {}});
        if (messages_.empty()) throw std::logic_error("unexpected message box: " + text.toStdString());
        const TMsgResult result = messages_.front();
        messages_.pop_front();
        return result;
    }

    std::optional<QString> SaveFileName(const TSaveDialogOptions& options) override
    {
        asked_.push_back({options.Title, options.Filter, options.FileName});
        if (saves_.empty()) throw std::logic_error("unexpected save dialog: " + options.Title.toStdString());
        auto result = saves_.front();
        saves_.pop_front();
        return result;
    }

  private:
    std::deque<std::optional<QString>> prompts_;
    std::deque<TMsgResult> messages_;
    std::deque<std::optional<QString>> saves_;
    std::vector<Question> asked_;
};

} // namespace ondrix::app::testing
