#include "ui/Prompter.h"

#include <array>

namespace vtl::ui {

namespace {
template <class E>
struct Named {
    E value;
    std::string_view name;
};

template <class E, std::size_t N>
constexpr std::string_view Lookup(const std::array<Named<E>, N>& table, E value) {
    for (const auto& entry : table) {
        if (entry.value == value) return entry.name;
    }
    return "?";
}

constexpr std::array<Named<MsgButtons>, 6> kButtonNames = {{
    {MsgButtons::OK, "OK"},
    {MsgButtons::OKCancel, "OKCancel"},
    {MsgButtons::AbortRetryIgnore, "AbortRetryIgnore"},
    {MsgButtons::YesNoCancel, "YesNoCancel"},
    {MsgButtons::YesNo, "YesNo"},
    {MsgButtons::RetryCancel, "RetryCancel"},
}};
constexpr std::array<Named<MsgIcon>, 5> kIconNames = {{
    {MsgIcon::None, "None"},
    {MsgIcon::Critical, "Critical"},
    {MsgIcon::Question, "Question"},
    {MsgIcon::Exclamation, "Exclamation"},
    {MsgIcon::Information, "Information"},
}};
constexpr std::array<Named<MsgResult>, 7> kResultNames = {{
    {MsgResult::OK, "OK"},
    {MsgResult::Cancel, "Cancel"},
    {MsgResult::Abort, "Abort"},
    {MsgResult::Retry, "Retry"},
    {MsgResult::Ignore, "Ignore"},
    {MsgResult::Yes, "Yes"},
    {MsgResult::No, "No"},
}};
}  // namespace

std::string_view MsgButtonsName(MsgButtons buttons) noexcept {
    return Lookup(kButtonNames, buttons);
}
std::string_view MsgIconName(MsgIcon icon) noexcept {
    return Lookup(kIconNames, icon);
}
std::string_view MsgResultName(MsgResult result) noexcept {
    return Lookup(kResultNames, result);
}

}  // namespace vtl::ui
