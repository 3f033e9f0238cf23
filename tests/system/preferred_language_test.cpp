// "System/PreferredLanguage" through the shipped DLL: the user's languages
// come from the system-information stand-in's locale.

#include <gtest/gtest.h>

#include <string>

#include "library_harness.h"

TEST(SystemPreferredLanguage, ChoosesByTheUsersOrderThenTheResourcesThenTheFallback) {
    const mavel::test::MavelLibrary library;
    const std::string failed =
        R"({"error":{"message":"Failed to get languages.","name":"InternalError"},"value":null})";
    const struct {
        const char* languages;
        const char* query;
        std::string answer;  // the value, or the whole envelope of a failure
    } cases[] = {
        // The first user language outranks the order of the resources.
        {R"(["en", "ja"])", R"({"resources": "ja-JP,en-US"})", R"("en-US")"},
        {R"(["en", "ja"])", R"({"resources": "ja-JP,en-GB,en-US"})", R"("en-GB")"},
        {R"(["de", "ja"])", R"({"resources": "en-US,ja-JP,ja"})", R"("ja-JP")"},
        // A resource must begin with the whole language, case and blanks included.
        {R"(["ja-JP"])", R"({"resources": "ja,ja-JP"})", R"("ja-JP")"},
        {R"(["en-US"])", R"({"resources": "en", "fallback": "fr"})", R"("fr")"},
        {R"(["en-US"])", R"({"resources": "EN-US, en-US", "fallback": "x"})", R"("x")"},
        // Nothing fits and no fallback: the first resource.
        {R"(["en-US"])", R"({"resources": "en,de"})", R"("en")"},
        // No resources: the first language.
        {R"(["pt-BR", "en-US"])", "", R"("pt-BR")"},
        {R"(["pt-BR", "en-US"])", R"({"resources": ",,,"})", R"("pt-BR")"},
        {R"(["pt-BR", "en-US"])", R"({"resources": null, "fallback": "de"})", R"("pt-BR")"},
        {R"(["4"])", R"({"resources": 42})", R"("42")"},
        // Without languages only the fallback answers.
        {"[]", R"({"resources": "en-US", "fallback": "en"})", R"("en")"},
        {"[]", R"({"resources": "en-US"})", failed},
        // Tags are compared as the library hands them out (ANSI), not converted.
        {R"(["é"])", R"({"resources": "é-1", "fallback": "none"})", R"("none")"},
        {R"(["é"])", "{\"resources\": \"\xE9-1\", \"fallback\": \"none\"}", "\"\xE9-1\""},
    };
    for (const auto& c : cases) {
        mavel::test::loadOstrelWorld(std::string(R"({"locale": {"languages": )") + c.languages + "}}");
        const mavel::test::Response response = library.call("SystemPreferredLanguage", "GET", "", c.query);
        const bool fails = c.answer == failed;
        EXPECT_EQ(response.status, fails ? 500 : 200) << c.languages << " " << c.query;
        EXPECT_EQ(response.text, fails ? failed : R"({"error":null,"value":)" + c.answer + "}")
            << c.languages << " " << c.query;
    }
}
