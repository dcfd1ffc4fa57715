#include "QuilloToDoKit/QuilloToDoScan/AssigneeResolver.h"

#include "BrimlockCore/Database/RoleResolver.h"
#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <array>

namespace quillo::AssigneeResolver {

namespace {

constexpr auto kBuiltInRoleNames = std::to_array<std::string_view>({
    "video",
    "titles",
    "titel",
    "dialogue",
    "dialog",
    "music",
    "musik",
    "effects",
    "effekte",
    "captions",
    "bildunterschriften",
});

// The marker text split at an at-sign prefix, counted in user-perceived characters.
struct Prefix {
    std::string name;
    std::string display;  // the text after "@name", trimmed of spaces and tabs at both ends
};

std::optional<Prefix> atPrefix(std::string_view text) {
    if (text.empty() || text.front() != '@') return std::nullopt;
    const auto characters = platform::graphemeClusters(text);
    // "@" followed by a combining mark is one character, and not an at-sign.
    if (characters.front() != "@") return std::nullopt;
    if (characters.size() < 2 || platform::startsWithWhitespace(characters[1])) return std::nullopt;

    std::size_t end = 1;
    while (end < characters.size() && !platform::startsWithWhitespace(characters[end])) ++end;

    std::size_t first = end;
    std::size_t last = characters.size();
    while (first < last && platform::isSpaceSeparatorOrTab(characters[first])) ++first;
    while (last > first && platform::isSpaceSeparatorOrTab(characters[last - 1])) --last;

    const auto offset = [&](std::size_t index) {
        return index < characters.size() ? static_cast<std::size_t>(characters[index].data() - text.data())
                                         : text.size();
    };
    Prefix prefix;
    prefix.name = std::string(text.substr(1, offset(end) - 1));
    prefix.display = std::string(text.substr(offset(first), offset(last) - offset(first)));
    return prefix;
}

bool namesAssignee(std::string_view roleName) { return !isBuiltInRoleName(platform::lowercased(roleName)); }

Assignment fromRoleOrPrefix(std::string_view rawText, const std::optional<std::string>& roleName) {
    const auto prefix = atPrefix(rawText);
    if (roleName && namesAssignee(*roleName))
        return {*roleName, AssigneeSource::role, prefix ? prefix->display : std::string(rawText)};
    if (prefix) return {prefix->name, AssigneeSource::prefix, prefix->display};
    return {std::nullopt, AssigneeSource::none, std::string(rawText)};
}

}  // namespace

bool isBuiltInRoleName(std::string_view lowerCaseName) {
    return std::find(kBuiltInRoleNames.begin(), kBuiltInRoleNames.end(), lowerCaseName) != kBuiltInRoleNames.end();
}

Assignment derive(std::string_view rawText, const std::optional<std::string>& roleUID,
                  const brimlock::RoleResolver& roleResolver) {
    std::optional<std::string> roleName;
    if (roleUID) {
        if (const auto topLevel = roleResolver.topLevelUID(*roleUID)) roleName = roleResolver.resolve(*topLevel);
    }
    return fromRoleOrPrefix(rawText, roleName);
}

Assignment deriveFromFCPXMLRoleAttribute(std::string_view rawText, const std::optional<std::string>& roleAttribute) {
    std::optional<std::string> roleName;
    if (roleAttribute) {
        // The text before the first dot, leading dots skipped; dots only give no role.
        const std::string_view attribute = *roleAttribute;
        const auto start = attribute.find_first_not_of('.');
        if (start != std::string_view::npos) {
            const auto dot = attribute.find('.', start);
            roleName = std::string(attribute.substr(start, dot == std::string_view::npos ? dot : dot - start));
        }
    }
    return fromRoleOrPrefix(rawText, roleName);
}

}  // namespace quillo::AssigneeResolver
