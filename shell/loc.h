// loc: every player-visible text by message id, built-in English unless a catalog replaces it.
#pragma once

#include <cstdint>

namespace vantrel {

constexpr int LOC_COUNT = 223; // ids 0-222

// The built-in English texts; id 0 is the plural rule "1|*", not a display text.
extern const char* const loc_builtin[LOC_COUNT];

// A catalog's lookup: the translated text for (id, built-in text), or null for none.
using loc_lookup_fn = const char* (*)(int id, const char* builtin);

// The text of a message: "?" for an id outside 0-222; never null.
const char* loc(int id);
// Installs the catalog's lookup, or removes it with null.
void loc_set_lookup(loc_lookup_fn hook);

// The index of the first "|"-separated form of the rule that matches the count's absolute
// value (numbers "n", ranges "n-m" and the wildcard "*"); the last form, with *matched = 0,
// when none does. matched may be null.
int loc_plural_form_rule(const char* rule, int32_t count, int* matched);
// The form under the current rule: the catalog's message 0 when it has one, else "1|*".
int loc_plural_form(int32_t count);
// The message base_id + form, looked up like loc; "?" past id 222.
const char* loc_plural(int base_id, int32_t count);

} // namespace vantrel
