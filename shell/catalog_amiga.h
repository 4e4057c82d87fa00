// catalog_amiga: the message catalog service: translated texts by message id for one language.
//
// A catalog is a gettext PO file, "PROGDIR:Catalogs/<language>/vantrel.catalog"; each entry
// is keyed by its message id in msgctxt, carries the English text as msgid and the
// translation as msgstr (empty: keep the English). The build stages catalogs in ISO 8859-2,
// the font's encoding, which is read as it is; a UTF-8 catalog (as a translator writes one)
// is converted by a table of our own, so no machine needs a character-set library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

// Opens the catalog of the named language, or of the language the environment prefers
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) when language is null. Does nothing when a catalog
// is already open; with no usable catalog the game stays English, and says so in one line
// when a language other than English was asked for.
void amiga_catalog_open(const char* language);
void amiga_catalog_close();
// The open catalog's language, "english" when none is open.
const char* amiga_catalog_language();

// The catalog language name for a locale string such as "cs_CZ.UTF-8" ("czech"), "C" or
// "POSIX" ("english"); null when the language is not known.
const char* catalog_language_from_locale(const char* locale);
// The language the environment asks for: the first variable that names a known language.
const char* catalog_language_from_environment();

// A parsed catalog: one ISO 8859-2 text per message id (null: no translation), all held in
// one buffer; error says why a parse failed.
struct catalog_texts {
    const char* text[223];
    char* storage;
    const char* error;
};

// Parses PO text, in the charset its header names (UTF-8 when it names none, or ISO-8859-2),
// into ISO 8859-2 translations. Entries whose printf conversions differ from the built-in
// English text are dropped with one warning line each. Returns 0 (and nothing to free) when
// the text cannot be used at all: another charset, or not one message translated.
int catalog_parse(const char* po, size_t size, catalog_texts* out);
void catalog_texts_free(catalog_texts* texts);
// Whether a translated format string may stand for the English one: the same conversions
// in order, with the same field widths and precisions (an added or widened one could make a
// single line take seconds to print).
int catalog_formats_agree(const char* english, const char* translated);
// UTF-8 to ISO 8859-2 into out; each character Latin-2 lacks, and each malformed sequence,
// becomes one "?". Returns how many did.
size_t catalog_utf8_to_latin2(const char* utf8, size_t size, std::string* out);

} // namespace vantrel
