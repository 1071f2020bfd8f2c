#include "ui/testing/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <utility>

#include "ui/Form.h"

namespace vtl::ui::testing {

namespace {
// In the order of QuestionKind.
constexpr std::array<std::string_view, 6> kKindNames = {"message box",      "computer browser",
                                                        "folder browser",   "open-file dialog",
                                                        "save-file dialog", "help"};

std::string_view QuestionKindName(QuestionKind kind) noexcept {
    const auto i = static_cast<std::size_t>(kind);
    return i < kKindNames.size() ? kKindNames[i] : "?";
}

bool Offers(MsgButtons buttons, MsgResult answer) {
    using R = MsgResult;
    const std::map<MsgButtons, std::set<MsgResult>> offered = {
        {MsgButtons::OK, {R::OK}},
        {MsgButtons::OKCancel, {R::OK, R::Cancel}},
        {MsgButtons::AbortRetryIgnore, {R::Abort, R::Retry, R::Ignore}},
        {MsgButtons::YesNoCancel, {R::Yes, R::No, R::Cancel}},
        {MsgButtons::YesNo, {R::Yes, R::No}},
        {MsgButtons::RetryCancel, {R::Retry, R::Cancel}}};
    const auto it = offered.find(buttons);
    return it != offered.end() && it->second.contains(answer);
}

// What closing the box without a choice gives.
MsgResult Dismissal(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::OK:
            return MsgResult::OK;
        case MsgButtons::YesNo:
            return MsgResult::No;
        case MsgButtons::AbortRetryIgnore:
            return MsgResult::Abort;
        default:
            return MsgResult::Cancel;
    }
}

std::string Describe(const Question& q) {
    std::string d(QuestionKindName(q.kind));
    d += " \"" + (q.kind == QuestionKind::MsgBox ? q.text : q.title) + "\"";
    if (q.kind == QuestionKind::MsgBox) {
        d += " [" + std::string(MsgButtonsName(q.buttons)) + ", " +
             std::string(MsgIconName(q.icon)) + ", title \"" + q.title + "\"]";
    }
    return d;
}
}  // namespace

ScriptedPrompter::ScriptedPrompter(std::string appTitle) : appTitle_(std::move(appTitle)) {}

ScriptedPrompter::~ScriptedPrompter() {
    if (!answers_.empty()) {
        ADD_FAILURE() << answers_.size()
                      << " scripted answer(s) never asked for; the next is for a "
                      << QuestionKindName(answers_.front().kind);
    }
}

ScriptedPrompter& ScriptedPrompter::Add(Answer answer) {
    answers_.push_back(std::move(answer));
    return *this;
}

std::vector<std::string> ScriptedPrompter::MessageTexts() const {
    std::vector<std::string> texts;
    for (const Question& q : questions_) {
        if (q.kind == QuestionKind::MsgBox) texts.push_back(q.text);
    }
    return texts;
}

std::optional<ScriptedPrompter::Answer> ScriptedPrompter::Take(const Question& question) {
    questions_.push_back(question);
    if (answers_.empty()) {
        if (autoOk_ && question.kind == QuestionKind::MsgBox && question.buttons == MsgButtons::OK)
            return Answer{QuestionKind::MsgBox, MsgResult::OK, std::nullopt, true};
        ADD_FAILURE() << "unexpected " << Describe(question);
        return std::nullopt;
    }
    if (answers_.front().kind != question.kind) {
        ADD_FAILURE() << "expected a " << QuestionKindName(answers_.front().kind) << ", got "
                      << Describe(question);
        return std::nullopt;
    }
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

MsgResult ScriptedPrompter::MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                                   std::string_view title) {
    Question q;
    q.kind = QuestionKind::MsgBox;
    q.text = text;
    q.title = title.empty() ? appTitle_ : std::string(title);
    q.buttons = buttons;
    q.icon = icon;
    const auto answer = Take(q);
    if (!answer) return Dismissal(buttons);
    if (!Offers(buttons, answer->result)) {
        ADD_FAILURE() << "scripted answer " << MsgResultName(answer->result)
                      << " is not a button of " << Describe(q);
        return Dismissal(buttons);
    }
    return answer->result;
}

std::optional<std::string> ScriptedPrompter::TextAnswer(Question question, const Form* owner) {
    if (owner != nullptr) question.owner = owner->Name();
    const auto answer = Take(question);
    return answer ? answer->text : std::nullopt;
}

namespace {
Question Asked(QuestionKind kind, std::string_view title) {
    Question q;
    q.kind = kind;
    q.title = title;
    return q;
}
}  // namespace

std::optional<std::string> ScriptedPrompter::BrowseForComputer(const Form* owner,
                                                               std::string_view title) {
    return TextAnswer(Asked(QuestionKind::Computer, title), owner);
}

std::optional<std::string> ScriptedPrompter::BrowseForFolder(const Form* owner,
                                                             const FolderRequest& request) {
    Question q = Asked(QuestionKind::Folder, request.title);
    q.folder = request;
    return TextAnswer(std::move(q), owner);
}

std::optional<std::string> ScriptedPrompter::SaveFile(const Form* owner,
                                                      const SaveFileRequest& request) {
    Question q = Asked(QuestionKind::SaveFile, request.title);
    q.save = request;
    return TextAnswer(std::move(q), owner);
}

std::optional<std::string> ScriptedPrompter::OpenFile(const Form* owner,
                                                      const OpenFileRequest& request) {
    Question q = Asked(QuestionKind::OpenFile, request.title);
    q.file = request;
    return TextAnswer(std::move(q), owner);
}

bool ScriptedPrompter::ShowHelp(const Form* owner, std::string_view helpFile,
                                std::uint32_t command) {
    Question q;
    q.kind = QuestionKind::Help;
    q.helpFile = helpFile;
    q.helpCommand = command;
    if (owner != nullptr) q.owner = owner->Name();
    const auto answer = Take(q);
    return answer && answer->shown;
}

}  // namespace vtl::ui::testing
