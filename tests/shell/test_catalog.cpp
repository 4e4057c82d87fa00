// The catalog service: PO parsing, the printf check, the language choice and the Czech
// catalog shipped with the game.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sstream>
#include <string>

#include "shell/catalog_amiga.h"
#include "shell/loc.h"

namespace vantrel {
namespace {

// Static builds (the cross build) carry no character-set modules for iconv.
bool latin2_available() {
    iconv_t cd = iconv_open("ISO-8859-2", "UTF-8");
    if (cd == iconv_t(-1)) return false;
    iconv_close(cd);
    return true;
}

struct parsed {
    catalog_texts texts{};
    std::string console;
    int ok = 0;
    explicit parsed(const std::string& po) {
        testing::internal::CaptureStdout();
        ok = catalog_parse(po.data(), po.size(), &texts);
        console = testing::internal::GetCapturedStdout();
    }
    ~parsed() {
        if (ok) catalog_texts_free(&texts);
    }
};

TEST(CatalogFormats, SameArgumentsInTheSameOrder) {
    EXPECT_TRUE(catalog_formats_agree("SCORE %lu", "SK\xD3RE %lu"));
    EXPECT_TRUE(catalog_formats_agree("%02d.%02d", "%d.%2d"));     // widths do not matter
    EXPECT_TRUE(catalog_formats_agree("100%% %s", "%s (100 %%)")); // "%%" takes nothing
    EXPECT_TRUE(catalog_formats_agree("no arguments", "bez argument\xF9"));
    EXPECT_FALSE(catalog_formats_agree("%ld cr", "%d kr"));        // length differs
    EXPECT_FALSE(catalog_formats_agree("%d t to %s", "%s: %d t")); // order differs
    EXPECT_FALSE(catalog_formats_agree("%s", "%s %s"));            // one more
    EXPECT_FALSE(catalog_formats_agree("%s %s", "%s"));            // one fewer
    EXPECT_FALSE(catalog_formats_agree("%d", "%*d"));              // '*' takes an argument
    EXPECT_FALSE(catalog_formats_agree("%d", "%n"));
}

TEST(CatalogParse, EntriesContinuationsEscapesAndWhatIsSkipped) {
    if (!latin2_available()) GTEST_SKIP() << "no iconv character sets in this build";
    parsed p("# comment\n"
             "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
             "msgctxt \"5\"\nmsgid \"SETTINGS\"\nmsgstr \"NASTAVEN\xC3\x8D\"\n\n"
             "msgctxt \"39\"\nmsgid \"\"\n\"The game ended with code %ld.\\nIts output is in %s\"\n"
             "msgstr \"\"\n\"Hra skon\xC4\x8D\" \"ila: %ld.\\n\"\n   \"V\xC3\xBDstup: %s\"\n\n"
             "msgctxt \"7\"\nmsgid \"BACK\"\nmsgstr \"\"\n\n"                // empty: English
             "#, fuzzy\nmsgctxt \"6\"\nmsgid \"QUIT\"\nmsgstr \"KONEC\"\n\n" // fuzzy: skipped
             "msgctxt \"223\"\nmsgid \"x\"\nmsgstr \"y\"\n\n"                // no such id
             "msgid \"START\"\nmsgstr \"HR\xC3\x81T\"\n\n"                   // no id at all
             "msgctxt \"90\"\nmsgid \"SCORE %lu\"\nmsgstr \"SK\xC3\x93RE %d\"\n\n"
             "msgctxt \"120\"\nmsgid \"Sun\"\nmsgstr \"\\\"Slunce\\\" \xE2\x82\xAC\"\r\n");
    ASSERT_EQ(p.ok, 1);
    EXPECT_STREQ(p.texts.text[5], "NASTAVEN\xCD");
    EXPECT_STREQ(p.texts.text[39], "Hra skon\xE8ila: %ld.\nV\xFDstup: %s");
    EXPECT_EQ(p.texts.text[7], nullptr);
    EXPECT_EQ(p.texts.text[6], nullptr);
    EXPECT_EQ(p.texts.text[1], nullptr);
    EXPECT_EQ(p.texts.text[90], nullptr);
    // The euro sign has no ISO 8859-2 code: it shows as "?".
    EXPECT_STREQ(p.texts.text[120], "\"Slunce\" ?");
    EXPECT_EQ(p.console, "catalog: message 90 ignored: its printf conversions differ from the "
                         "English text\n");
}

TEST(CatalogParse, GarbageNeverCrashes) {
    static const char nul_inside[] = "msgctxt \"1\"\nmsgstr \"a\0b\"\n";
    const std::string nul_inside_text(nul_inside, sizeof nul_inside - 1);
    if (!latin2_available()) GTEST_SKIP() << "no iconv character sets in this build";
    const std::string samples[] = {"",
                                   "msgstr",
                                   "msgctxt \"1",
                                   "\"\"\"\n\"",
                                   "msgctxt \"1\"\n"
                                   "msgstr \"\\",
                                   "msgctxt \"00001\"\nmsgstr \"a\\x\"\n",
                                   nul_inside_text};
    for (const std::string& s : samples) {
        parsed p(s);
        EXPECT_EQ(p.ok, 1);
        for (const char* t : p.texts.text) EXPECT_EQ(t, nullptr) << s;
    }
}

TEST(CatalogLanguage, LocaleNamesMapToCatalogNames) {
    EXPECT_STREQ(catalog_language_from_locale("cs_CZ.UTF-8"), "czech");
    EXPECT_STREQ(catalog_language_from_locale("cs"), "czech");
    EXPECT_STREQ(catalog_language_from_locale("de_DE@euro"), "german");
    EXPECT_STREQ(catalog_language_from_locale("C"), "english");
    EXPECT_STREQ(catalog_language_from_locale("C.UTF-8"), "english");
    EXPECT_STREQ(catalog_language_from_locale("POSIX"), "english");
    EXPECT_EQ(catalog_language_from_locale("xx_YY"), nullptr);
    EXPECT_EQ(catalog_language_from_locale(""), nullptr);
    EXPECT_EQ(catalog_language_from_locale(nullptr), nullptr);
}

struct env_guard {
    std::string saved[4];
    bool had[4];
    static constexpr const char* NAMES[4] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    env_guard() {
        for (int i = 0; i < 4; i++) {
            const char* v = std::getenv(NAMES[i]);
            had[i] = v != nullptr;
            if (v) saved[i] = v;
            unsetenv(NAMES[i]);
        }
    }
    ~env_guard() {
        for (int i = 0; i < 4; i++)
            if (had[i])
                setenv(NAMES[i], saved[i].c_str(), 1);
            else
                unsetenv(NAMES[i]);
    }
};

TEST(CatalogLanguage, FirstUsableVariableWins) {
    env_guard guard;
    EXPECT_EQ(catalog_language_from_environment(), nullptr);
    setenv("LANG", "de_AT.UTF-8", 1);
    EXPECT_STREQ(catalog_language_from_environment(), "german");
    setenv("LC_MESSAGES", "cs_CZ", 1);
    EXPECT_STREQ(catalog_language_from_environment(), "czech");
    setenv("LC_ALL", "", 1); // empty: not usable, the next one decides
    EXPECT_STREQ(catalog_language_from_environment(), "czech");
    setenv("LC_ALL", "C", 1);
    EXPECT_STREQ(catalog_language_from_environment(), "english");
    setenv("LANGUAGE", "xx:fr_FR:cs", 1); // a priority list; unknown entries are passed over
    EXPECT_STREQ(catalog_language_from_environment(), "french");
}

TEST(CatalogService, NoCatalogMeansEnglish) {
    env_guard guard;
    EXPECT_STREQ(amiga_catalog_language(), "english");
    amiga_catalog_open("../czech"); // never a path outside the catalog directory
    EXPECT_STREQ(amiga_catalog_language(), "english");
    amiga_catalog_open("klingon"); // no such catalog
    EXPECT_STREQ(amiga_catalog_language(), "english");
    EXPECT_STREQ(loc(6), "QUIT");
    amiga_catalog_close();
    EXPECT_STREQ(amiga_catalog_language(), "english");
}

TEST(CzechCatalog, TranslatesEveryMessageInLatin2) {
    if (!latin2_available()) GTEST_SKIP() << "no iconv character sets in this build";
    std::ifstream f(VANTREL_SOURCE_DIR "/assets/Catalogs/czech/vantrel.po", std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    parsed p(s.str());
    ASSERT_EQ(p.ok, 1);
    EXPECT_EQ(p.console, ""); // no entry dropped for its printf conversions
    EXPECT_STREQ(p.texts.text[0], "1|2-4|*");
    EXPECT_STREQ(p.texts.text[6], "KONEC");
    EXPECT_STREQ(p.texts.text[5], "NASTAVEN\xCD");
    for (int id = 0; id < LOC_COUNT; id++) {
        ASSERT_NE(p.texts.text[id], nullptr) << id;
        // Every character had an ISO 8859-2 code: no "?" appeared that English lacks.
        if (!std::strchr(loc_builtin[id], '?')) {
            EXPECT_EQ(std::strchr(p.texts.text[id], '?'), nullptr) << id;
        }
    }
}

} // namespace
} // namespace vantrel
