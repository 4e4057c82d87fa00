// Message lookup with and without a catalog, and the plural rules.
#include <cstring>
#include <gtest/gtest.h>

#include "shell/loc.h"

namespace vantrel {
namespace {

const char* czech_like(int id, const char* builtin) {
    (void)builtin;
    if (id == 0) return "1|2-4|*";
    if (id == 6) return "KONEC";
    return nullptr; // every other id falls back to English
}

struct loc_hook_guard {
    explicit loc_hook_guard(loc_lookup_fn hook) { loc_set_lookup(hook); }
    ~loc_hook_guard() { loc_set_lookup(nullptr); }
};

TEST(Loc, BuiltInTableAndOutOfRangeIds) {
    EXPECT_STREQ(loc(LOC_COUNT), "?");
    EXPECT_STREQ(loc(-1), "?");
    for (int id = 0; id < LOC_COUNT; id++) {
        ASSERT_NE(loc_builtin[id], nullptr) << id;
        EXPECT_GT(std::strlen(loc_builtin[id]), 0u) << id;
    }
}

TEST(LocPlural, RuleEvaluation) {
    int matched = -1;
    EXPECT_EQ(loc_plural_form_rule("1|*", 1, &matched), 0);
    EXPECT_EQ(matched, 1);
    EXPECT_EQ(loc_plural_form_rule("1|*", -1, nullptr), 0);
    EXPECT_EQ(loc_plural_form_rule("1|*", 0, nullptr), 1);
    EXPECT_EQ(loc_plural_form_rule("1|*", INT32_MIN, nullptr), 1);
    for (int n : {2, 3, 4, -2, -3, -4}) EXPECT_EQ(loc_plural_form_rule("1|2-4|*", n, nullptr), 1);
    EXPECT_EQ(loc_plural_form_rule("1|2-4|*", 0, nullptr), 2);
    EXPECT_EQ(loc_plural_form_rule("1|2-4|*", 5, nullptr), 2);
    // No form matches: the last form, marked as not matched.
    EXPECT_EQ(loc_plural_form_rule("1|2-4", 7, &matched), 1);
    EXPECT_EQ(matched, 0);
    EXPECT_EQ(loc_plural_form_rule("", 3, &matched), 0);
    EXPECT_EQ(matched, 0);
    // "5-" with no second number is no item; other characters only separate items.
    EXPECT_EQ(loc_plural_form_rule("5-|5", 5, nullptr), 1);
    EXPECT_EQ(loc_plural_form_rule("x1,3 y|7", 3, nullptr), 0);
    EXPECT_EQ(loc_plural_form_rule("1|99999999999999999999", 2147483647, nullptr), 1);
    EXPECT_EQ(loc_plural_form_rule("0-99999999999999999999|*", INT32_MIN, nullptr), 0);
}

// A catalog replaces only what it has, its plural rule included.
TEST(LocPlural, CurrentRuleComesFromTheCatalog) {
    EXPECT_STREQ(loc_plural(221, 5), "TAB: another test base");
    EXPECT_STREQ(loc_plural(222, 5), "?");
    EXPECT_STREQ(loc_plural(222, 1), "TAB: another test base");
    loc_hook_guard guard(czech_like);
    EXPECT_STREQ(loc(6), "KONEC");
    EXPECT_STREQ(loc(1), "START");
    EXPECT_STREQ(loc(500), "?");
    EXPECT_EQ(loc_plural_form(3), 1);
    EXPECT_EQ(loc_plural_form(0), 2);
    EXPECT_STREQ(loc_plural(5, 3), "KONEC");
    EXPECT_STREQ(loc_plural(4, 0), "KONEC");
    EXPECT_STREQ(loc_plural(5, 1), "SETTINGS");
}

} // namespace
} // namespace vantrel
