// "System/PreferredLanguage" through the shipped DLL: the user's languages
// come from the system-information stand-in's locale.

#include <gtest/gtest.h>

#include <string>

#include "library_harness.h"

using mavel::test::MavelLibrary;
using mavel::test::Response;

namespace {

class PreferredLanguageTest : public ::testing::Test {
protected:
    void useLanguages(const std::string& languages) const {
        mavel::test::loadOstrelWorld(R"({"locale": {"languages": )" + languages + "}}");
    }

    Response choose(const std::string& query) const {
        return library_.call("SystemPreferredLanguage", "GET", "", query);
    }

    std::string chosen(const std::string& query) const {
        const Response response = choose(query);
        EXPECT_EQ(response.status, 200) << query;
        EXPECT_TRUE(response.value().isString()) << query;
        return response.value().asString();
    }

    MavelLibrary library_;
};

}  // namespace

TEST_F(PreferredLanguageTest, FirstUserLanguageOutranksResourceOrder) {
    useLanguages(R"(["en", "ja"])");
    EXPECT_EQ(chosen(R"({"resources": "ja-JP,en-US"})"), "en-US");
    EXPECT_EQ(chosen(R"({"resources": "ja-JP,en-GB,en-US"})"), "en-GB");
    useLanguages(R"(["de", "ja"])");
    EXPECT_EQ(chosen(R"({"resources": "en-US,ja-JP,ja"})"), "ja-JP");
}

TEST_F(PreferredLanguageTest, ResourceMustBeginWithTheWholeLanguage) {
    useLanguages(R"(["ja-JP"])");
    EXPECT_EQ(chosen(R"({"resources": "ja,ja-JP"})"), "ja-JP");
    useLanguages(R"(["en-US"])");
    EXPECT_EQ(chosen(R"({"resources": "en", "fallback": "fr"})"), "fr");
    EXPECT_EQ(chosen(R"({"resources": "en,de"})"), "en");
    // Case matters and blanks are not trimmed.
    EXPECT_EQ(chosen(R"({"resources": "EN-US, en-US", "fallback": "x"})"), "x");
}

TEST_F(PreferredLanguageTest, NoResourcesAnswersTheFirstLanguage) {
    useLanguages(R"(["pt-BR", "en-US"])");
    for (const char* query : {"", "{}", R"({"resources": ""})", R"({"resources": ",,,"})",
                              R"({"resources": null, "fallback": "de"})"}) {
        EXPECT_EQ(chosen(query), "pt-BR") << query;
    }
}

TEST_F(PreferredLanguageTest, NumberResourceIsReadAsText) {
    useLanguages(R"(["4"])");
    EXPECT_EQ(chosen(R"({"resources": 42})"), "42");
}

TEST_F(PreferredLanguageTest, WithoutLanguagesOnlyTheFallbackAnswers) {
    useLanguages("[]");
    EXPECT_EQ(chosen(R"({"resources": "en-US", "fallback": "en"})"), "en");
    const Response failed = choose(R"({"resources": "en-US"})");
    EXPECT_EQ(failed.status, 500);
    EXPECT_EQ(failed.errorName(), "InternalError");
    EXPECT_EQ(failed.errorMessage(), "Failed to get languages.");
    EXPECT_TRUE(failed.value().isNull());
}

// Language tags are compared as the library hands them out, so a tag
// outside ASCII matches a resource only in the library's own encoding.
TEST_F(PreferredLanguageTest, LanguagesAreNotConverted) {
    useLanguages(R"(["é"])");
    EXPECT_EQ(chosen(R"({"resources": "é-1", "fallback": "none"})"), "none");
    EXPECT_EQ(chosen("{\"resources\": \"\xE9-1\", \"fallback\": \"none\"}"), "\xE9-1");
}
