// Number texts must not follow the process locale: the same JSON has to come
// out of a German desktop as out of an English one.

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <locale>
#include <string>

#include "pocketjson/json.h"

namespace pocketjson {
namespace {

class CommaPoint : public std::numpunct<char> {
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// Switches the C and the C++ global locale to comma decimal points for one
// test and back afterwards.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        previousC_ = std::setlocale(LC_ALL, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German", "fr_FR.UTF-8", "fr_FR"}) {
            if (std::setlocale(LC_ALL, name) != nullptr && std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
                cLocale_ = name;
                break;
            }
            std::setlocale(LC_ALL, previousC_.c_str());
        }
        // A locale with an unnamed facet leaves the C locale as set above.
        previousCpp_ = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
        if (cLocale_.empty()) {
            std::printf("note: no C locale with a decimal comma here; only the C++ global locale is switched\n");
        }
    }
    void TearDown() override {
        std::locale::global(previousCpp_);
        std::setlocale(LC_ALL, previousC_.c_str());
    }

    std::string cLocale_;

private:
    std::string previousC_;
    std::locale previousCpp_;
};

TEST_F(CommaLocale, DoublesAreWrittenWithADot) {
    EXPECT_EQ(toJson(Value(0.5)), "0.5");
    EXPECT_EQ(toJson(Value(1234567.25)), "1234567.25");
    EXPECT_EQ(toJson(Value(1e-7)), "9.9999999999999995e-08");
    EXPECT_EQ(Value(-2.75).asString(), "-2.75");
    EXPECT_EQ(toJson(Value(std::int64_t{1234567})), "1234567");
}

TEST_F(CommaLocale, DoublesAreReadWithADot) {
    Value value;
    ASSERT_TRUE(parseJson(value, "[1.5,-0.25e1,3e2,12345678]"));
    EXPECT_EQ(value.at(0), Value(1.5));
    EXPECT_EQ(value.at(1), Value(-2.5));
    EXPECT_EQ(value.at(2), Value(300.0));
    EXPECT_EQ(value.at(3), Value(12345678));
    std::string error;
    EXPECT_FALSE(parseJson(value, "1,5", 0, &error));
    EXPECT_EQ(error, "Gabage string exists after json string.");
}

TEST_F(CommaLocale, RoundTripIsExact) {
    Value array;
    for (double d : {0.1, 2.0 / 3.0, 1e300, -5e-324, 6.02214076e23}) {
        array.append(d);
    }
    Value back;
    ASSERT_TRUE(parseJson(back, toJson(array)));
    EXPECT_EQ(back, array);
}

}  // namespace
}  // namespace pocketjson
