// The catalog service: PO parsing, the printf check, the language choice and the Czech
// catalog shipped with the game.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>

#include "shell/catalog_amiga.h"
#include "shell/loc.h"
#include "shell/services.h"

namespace vantrel {
namespace {

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
    EXPECT_TRUE(catalog_formats_agree("%02d.%-4.2s", "%2d.%4.2s")); // flags do not matter
    EXPECT_TRUE(catalog_formats_agree("100%% %s", "%s (100 %%)"));  // "%%" takes nothing
    EXPECT_TRUE(catalog_formats_agree("no arguments", "bez argument\xF9"));
    EXPECT_FALSE(catalog_formats_agree("%ld cr", "%d kr"));        // length differs
    EXPECT_FALSE(catalog_formats_agree("%d t to %s", "%s: %d t")); // order differs
    EXPECT_FALSE(catalog_formats_agree("%s", "%s %s"));            // one more
    EXPECT_FALSE(catalog_formats_agree("%s %s", "%s"));            // one fewer
    EXPECT_FALSE(catalog_formats_agree("%d", "%*d"));              // '*' takes an argument
    EXPECT_FALSE(catalog_formats_agree("%d", "%n"));
    // Widths and precisions neither added nor changed: they decide how long a line may grow.
    for (const char* widened : {"%2147483647s", "%.999999s", "%3s", "%2.s", "%.0s", "%*s"})
        EXPECT_FALSE(catalog_formats_agree("%2s", widened)) << widened;
}

TEST(CatalogParse, EntriesContinuationsEscapesAndWhatIsSkipped) {
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
             "msgctxt \"8\"\nmsgstr \"\\x41BC\\x4142434445464748\"\n" // two hex digits at most
             "msgctxt \"120\"\nmsgid \"Sun\"\nmsgstr \"\\\"Slunce\\\" \xE2\x82\xAC\"\r\n");
    ASSERT_EQ(p.ok, 1);
    EXPECT_STREQ(p.texts.text[5], "NASTAVEN\xCD");
    EXPECT_STREQ(p.texts.text[39], "Hra skon\xE8ila: %ld.\nV\xFDstup: %s");
    EXPECT_EQ(p.texts.text[7], nullptr);
    EXPECT_EQ(p.texts.text[6], nullptr);
    EXPECT_EQ(p.texts.text[1], nullptr);
    EXPECT_EQ(p.texts.text[90], nullptr);
    EXPECT_STREQ(p.texts.text[8], "ABCA42434445464748");
    // The euro sign has no ISO 8859-2 code: it shows as "?".
    EXPECT_STREQ(p.texts.text[120], "\"Slunce\" ?");
    EXPECT_EQ(p.console, "catalog: message 90 ignored: its printf conversions differ from the "
                         "English text\n");
}

TEST(CatalogParse, CharsetOfTheHeader) {
    const std::string entry = "msgctxt \"1\"\nmsgstr \"\xC5\x99\xC3\x8D\"\n"; // "ří" in UTF-8
    auto header = [](const char* charset) {
        return "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=" + std::string(charset) +
               "\\n\"\n\n";
    };
    EXPECT_STREQ(parsed(header("UTF-8") + entry).texts.text[1], "\xF8\xCD");
    EXPECT_STREQ(parsed(entry).texts.text[1], "\xF8\xCD"); // no header: UTF-8
    // Latin-2 bytes are taken as they are.
    EXPECT_STREQ(parsed(header("iso-8859-2") + entry).texts.text[1], "\xC5\x99\xC3\x8D");
    parsed other(header("windows-1250") + entry);
    EXPECT_EQ(other.ok, 0);
    EXPECT_STREQ(other.texts.error, "its charset is neither UTF-8 nor ISO-8859-2");
}

TEST(CatalogParse, Utf8ToLatin2MarksWhatItCannotShow) {
    const struct {
        const char *utf8, *latin2;
        size_t lost;
    } cases[] = {
        {"\xC5\x98\xC3\xA1 \xCB\x99", "\xD8\xE1 \xFF", 0},
        {"\xE2\x82\xAC \xF0\x9F\x9A\x80", "? ?", 2},        // euro sign, rocket
        {"a\x80\xBFz\xC3", "a?z?", 2},                      // stray, cut short
        {"\xC0\xAF\xED\xA0\x80\xF5\x80\x80\x80", "???", 3}, // overlong, surrogate, too big
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(catalog_utf8_to_latin2(c.utf8, std::strlen(c.utf8), &out), c.lost) << c.utf8;
        EXPECT_EQ(out, c.latin2) << c.utf8;
    }
}

TEST(CatalogParse, GarbageNeverCrashes) {
    static const char nul_inside[] = "msgctxt \"1\"\nmsgstr \"a\0b\"\n";
    const std::string nul_inside_text(nul_inside, sizeof nul_inside - 1);
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
        EXPECT_EQ(p.ok, 0) << s; // nothing translated: nothing to use
        EXPECT_STREQ(p.texts.error, "it translates no message") << s;
    }
}

TEST(CatalogLanguage, LocaleNamesMapToCatalogNames) {
    const char* const cases[][2] = {
        {"cs_CZ.UTF-8", "czech"}, {"cs", "czech"},        {"de_DE@euro", "german"},
        {"C", "english"},         {"C.UTF-8", "english"}, {"POSIX", "english"},
        {"xx_YY", nullptr},       {"", nullptr},          {nullptr, nullptr}};
    for (const auto& c : cases) {
        const char* got = catalog_language_from_locale(c[0]);
        EXPECT_EQ(std::string(got ? got : "-"), std::string(c[1] ? c[1] : "-")) << c[0];
    }
}

// Clears the four language variables for a test and puts back what was there.
struct env_guard {
    static constexpr const char* NAMES[4] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved[4];
    env_guard() {
        for (int i = 0; i < 4; i++) {
            if (const char* v = std::getenv(NAMES[i])) saved[i] = v;
            unsetenv(NAMES[i]);
        }
    }
    ~env_guard() {
        for (int i = 0; i < 4; i++)
            saved[i] ? setenv(NAMES[i], saved[i]->c_str(), 1) : unsetenv(NAMES[i]);
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

// What opening a language's catalog printed, in a program directory of its own whose only
// catalog, when contents is not null, is Catalogs/klingon/vantrel.catalog.
std::string open_catalog_in(const char* language, const char* contents) {
    namespace fs = std::filesystem;
    const std::string saved = progdir();
    fs::path dir = fs::path(testing::TempDir()) / ("vantrel-catalog-" + std::to_string(getpid()));
    fs::create_directories(dir / "Catalogs/klingon");
    if (contents) std::ofstream(dir / "Catalogs/klingon/vantrel.catalog") << contents;
    progdir_set(dir.c_str());
    testing::internal::CaptureStdout();
    amiga_catalog_open(language);
    std::string console = testing::internal::GetCapturedStdout();
    progdir_set(saved.c_str());
    fs::remove_all(dir);
    return console;
}

TEST(CatalogService, NoCatalogMeansEnglishAndSaysWhy) {
    env_guard guard;
    const char* const cases[][3] = {
        // language, catalog contents, what the console says
        {"english", nullptr, ""}, // built in: needs no catalog
        {"klingon", nullptr,
         "catalog: PROGDIR:Catalogs/klingon/vantrel.catalog missing, English texts\n"},
        {"klingon", "\x95\x04\x12\xde binary",
         "catalog: PROGDIR:Catalogs/klingon/vantrel.catalog invalid (it translates no message), "
         "English texts\n"},
        {"../czech", nullptr, // never a path outside the catalog directory
         "catalog: no catalog can be named after the language \"../czech\", English texts\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(open_catalog_in(c[0], c[1]), c[2]) << c[0];
        EXPECT_STREQ(amiga_catalog_language(), "english");
    }
    EXPECT_STREQ(loc(6), "QUIT");
    amiga_catalog_close();
    EXPECT_STREQ(amiga_catalog_language(), "english");
}

TEST(CzechCatalog, TranslatesEveryMessageInLatin2) {
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
