#pragma once
// A Prompter for tests: answers questions from a script, in order, and records every
// question asked (kind, text, title, buttons, icon, request). A question nobody
// scripted, or one of another kind than the next answer, fails the running test
// (and gets a cancelling answer). Answers left over when the prompter is destroyed
// fail the test too: each scripted question must really be asked.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Prompter.h"

namespace vtl::ui::testing {

enum class QuestionKind { MsgBox, Computer, Folder, OpenFile, SaveFile, Help };

struct Question {
    QuestionKind kind = QuestionKind::MsgBox;
    std::string text;   // message text
    std::string title;  // message box title (the application's when none was given),
                        // or the browser's / dialog's title
    MsgButtons buttons = MsgButtons::OK;
    MsgIcon icon = MsgIcon::None;
    FolderRequest folder;
    OpenFileRequest file;
    SaveFileRequest save;
    std::string helpFile;
    std::uint32_t helpCommand = 0;
    std::string owner;  // name of the owner form, if any
};

class ScriptedPrompter : public Prompter {
  public:
    explicit ScriptedPrompter(std::string appTitle = "Vantrel");
    ~ScriptedPrompter() override;
    ScriptedPrompter(const ScriptedPrompter&) = delete;
    ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;

    // The next message box is answered with answer (which must be one of its buttons).
    ScriptedPrompter& AnswerMsgBox(MsgResult answer) {
        return Add({QuestionKind::MsgBox, answer, std::nullopt, true});
    }
    ScriptedPrompter& AnswerComputer(std::optional<std::string> name) {
        return Add({QuestionKind::Computer, MsgResult::OK, std::move(name), true});
    }
    ScriptedPrompter& AnswerFolder(std::optional<std::string> path) {
        return Add({QuestionKind::Folder, MsgResult::OK, std::move(path), true});
    }
    ScriptedPrompter& AnswerOpenFile(std::optional<std::string> path) {
        return Add({QuestionKind::OpenFile, MsgResult::OK, std::move(path), true});
    }
    ScriptedPrompter& AnswerSaveFile(std::optional<std::string> path) {
        return Add({QuestionKind::SaveFile, MsgResult::OK, std::move(path), true});
    }
    // Message boxes with an OK button alone need no script: they are answered OK.
    void SetAutoOk(bool autoOk) noexcept { autoOk_ = autoOk; }

    [[nodiscard]] const std::vector<Question>& Questions() const noexcept { return questions_; }
    // Texts of the message boxes asked, in order.
    [[nodiscard]] std::vector<std::string> MessageTexts() const;
    [[nodiscard]] std::size_t PendingAnswers() const noexcept { return answers_.size(); }
    // Forgets the questions asked so far (the script stays).
    void ClearQuestions() noexcept { questions_.clear(); }

    MsgResult MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                     std::string_view title) override;
    std::optional<std::string> BrowseForComputer(const Form* owner,
                                                 std::string_view title) override;
    std::optional<std::string> BrowseForFolder(const Form* owner,
                                               const FolderRequest& request) override;
    std::optional<std::string> OpenFile(const Form* owner, const OpenFileRequest& request) override;
    std::optional<std::string> SaveFile(const Form* owner, const SaveFileRequest& request) override;
    bool ShowHelp(const Form* owner, std::string_view helpFile, std::uint32_t command) override;

  private:
    struct Answer {
        QuestionKind kind;
        MsgResult result = MsgResult::OK;
        std::optional<std::string> text;
        bool shown = true;
    };
    ScriptedPrompter& Add(Answer answer);
    std::optional<Answer> Take(const Question& question);
    // A chooser's question: the scripted text, or nothing.
    std::optional<std::string> TextAnswer(Question question, const Form* owner);

    std::string appTitle_;
    bool autoOk_ = false;
    std::deque<Answer> answers_;
    std::vector<Question> questions_;
};

}  // namespace vtl::ui::testing
