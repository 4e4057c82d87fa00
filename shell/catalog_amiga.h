// catalog_amiga: the message catalog service: translated texts by message id for one language.
//
// A catalog is a gettext PO file, "PROGDIR:Catalogs/<language>/vantrel.catalog", in UTF-8;
// each entry is keyed by its message id in msgctxt, carries the English text as msgid and
// the translation as msgstr (empty: keep the English). Texts are converted to ISO 8859-2,
// the font's encoding, when the catalog is opened.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// Opens the catalog of the named language, or of the language the environment prefers
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) when language is null. Does nothing when a catalog
// is already open; with no usable catalog the game stays English.
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
// one buffer.
struct catalog_texts {
    const char* text[223];
    char* storage;
};

// Parses PO text into ISO 8859-2 translations. Entries whose printf conversions differ from
// the built-in English text are dropped with one warning line each. Returns 0 (and nothing
// to free) when the text cannot be used at all.
int catalog_parse(const char* po, size_t size, catalog_texts* out);
void catalog_texts_free(catalog_texts* texts);
// Whether two format strings take the same arguments: the same conversions, in order.
int catalog_formats_agree(const char* english, const char* translated);

} // namespace vantrel
