#include "QuilloToDoKit/QuilloToDoScan/AssigneeResolver.h"

#include "BrimlockCore/Database/RoleResolver.h"
#include "testing/RoleSetBuilder.h"

#include <gtest/gtest.h>

using namespace quillo;
using AssigneeResolver::Assignment;

namespace {

brimlock::RoleResolver roles() {
    quillo::testing::RoleSetBuilder set;
    set.role("anna", "Anna").subRole("anna.anna-1", "Anna-1");
    set.role("dialogue", "DIALOGUE").subRole("dialogue.dialogue-1", "Dialogue-1");
    set.role("zoe", "Zo\xC3\xAB");
    brimlock::RoleResolver resolver;
    resolver.loadRoleSet(set.archive());
    return resolver;
}

void expectAssignment(const Assignment& actual, std::optional<std::string> assignee, AssigneeSource source,
                      const std::string& display) {
    EXPECT_EQ(actual.assignee, assignee);
    EXPECT_EQ(actual.source, source);
    EXPECT_EQ(actual.display, display);
}

}  // namespace

TEST(AssigneeResolver, AtSignPrefixNamesTheAssignee) {
    const auto resolver = roles();
    const auto derive = [&](std::string_view text) { return AssigneeResolver::derive(text, std::nullopt, resolver); };
    expectAssignment(derive("@anna fix the colour"), "anna", AssigneeSource::prefix, "fix the colour");
    expectAssignment(derive("@anna"), "anna", AssigneeSource::prefix, "");
    expectAssignment(derive("@anna, tidy up"), "anna,", AssigneeSource::prefix, "tidy up");
    expectAssignment(derive("@anna\t  spaced \t"), "anna", AssigneeSource::prefix, "spaced");
    // A line break ends the name but is not trimmed from the text shown.
    expectAssignment(derive("@anna\nsecond line"), "anna", AssigneeSource::prefix, "\nsecond line");
    expectAssignment(derive("@Zo\xC3\xAB"
                            "\xC2\xA0"
                            "check"),
                     "Zo\xC3\xAB", AssigneeSource::prefix, "check");
    expectAssignment(derive("@a@b c"), "a@b", AssigneeSource::prefix, "c");
}

TEST(AssigneeResolver, NoPrefixLeavesTheTextAlone) {
    const auto resolver = roles();
    const auto derive = [&](std::string_view text) { return AssigneeResolver::derive(text, std::nullopt, resolver); };
    expectAssignment(derive("@ anna"), std::nullopt, AssigneeSource::none, "@ anna");
    expectAssignment(derive("@"), std::nullopt, AssigneeSource::none, "@");
    expectAssignment(derive(""), std::nullopt, AssigneeSource::none, "");
    expectAssignment(derive("fix @anna"), std::nullopt, AssigneeSource::none, "fix @anna");
    // An at-sign carrying a combining mark is another character.
    expectAssignment(derive("@\xCC\x81x y"), std::nullopt, AssigneeSource::none, "@\xCC\x81x y");
}

TEST(AssigneeResolver, TheTopLevelRoleWinsOverThePrefix) {
    const auto resolver = roles();
    expectAssignment(AssigneeResolver::derive("@bob check", "anna.anna-1", resolver), "Anna", AssigneeSource::role,
                     "check");
    expectAssignment(AssigneeResolver::derive("check", "anna", resolver), "Anna", AssigneeSource::role, "check");
    expectAssignment(AssigneeResolver::derive("ok", "zoe", resolver), "Zo\xC3\xAB", AssigneeSource::role, "ok");
}

TEST(AssigneeResolver, StandardRolesAndUnknownRolesFallBackToThePrefix) {
    const auto resolver = roles();
    expectAssignment(AssigneeResolver::derive("@bob check", "dialogue.dialogue-1", resolver), "bob",
                     AssigneeSource::prefix, "check");
    expectAssignment(AssigneeResolver::derive("@bob check", "unknown", resolver), "bob", AssigneeSource::prefix,
                     "check");
    expectAssignment(AssigneeResolver::derive("check", "unknown", brimlock::RoleResolver()), std::nullopt,
                     AssigneeSource::none, "check");
    for (const char* name : {"video", "titles", "titel", "dialogue", "dialog", "music", "musik", "effects", "effekte",
                             "captions", "bildunterschriften"})
        EXPECT_TRUE(AssigneeResolver::isBuiltInRoleName(name)) << name;
    EXPECT_FALSE(AssigneeResolver::isBuiltInRoleName("Video"));  // callers lower-case first
}

TEST(AssigneeResolver, FCPXMLRoleAttributes) {
    expectAssignment(AssigneeResolver::deriveFromFCPXMLRoleAttribute("@bob check", "Anna.Anna-1"), "Anna",
                     AssigneeSource::role, "check");
    expectAssignment(AssigneeResolver::deriveFromFCPXMLRoleAttribute("x", "..Anna.b"), "Anna", AssigneeSource::role,
                     "x");
    expectAssignment(AssigneeResolver::deriveFromFCPXMLRoleAttribute("@bob check", "dialogue.dialogue-1"), "bob",
                     AssigneeSource::prefix, "check");
    expectAssignment(AssigneeResolver::deriveFromFCPXMLRoleAttribute("@bob check", "Music"), "bob",
                     AssigneeSource::prefix, "check");
    expectAssignment(AssigneeResolver::deriveFromFCPXMLRoleAttribute("@bob check", std::nullopt), "bob",
                     AssigneeSource::prefix, "check");
    expectAssignment(AssigneeResolver::deriveFromFCPXMLRoleAttribute("plain", "..."), std::nullopt,
                     AssigneeSource::none, "plain");
}
