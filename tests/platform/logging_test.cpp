// The library's log as the logging library receives it, and the same library
// working silently when the host plug-in folder holds no logging library.

#include <gtest/gtest.h>

#include <windows.h>

#include "library_harness.h"

using mavel::test::kRouteBase;
using mavel::test::MavelLibrary;

namespace {

struct Exchange {
    std::string success;
    std::string failure;
};

Exchange twoRequests(const MavelLibrary& library) {
    return {library.call("PowerManagementSettings", "PUT").text, library.call("SystemInformation", "DELETE").text};
}

}  // namespace

TEST(RequestLog, OneLinePerRequestAtItsLevel) {
    MavelLibrary library;
    mavel::test::clearLog();
    twoRequests(library);
    const auto lines = mavel::test::logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "2|statusCode:200\tmethod:PUT\turi:" + kRouteBase + "PowerManagementSettings\tmsg:Success");
    // Methods a resource does not serve never add its route name.
    EXPECT_EQ(lines[1], "5|statusCode:405\tmethod:DELETE\turi:" + kRouteBase +
                            "\terr:MethodError\tmsg:DELETE method is not allowed.");
}

TEST(RequestLog, WithoutTheLoggingLibraryEverythingElseIsTheSame) {
    MavelLibrary silent;
    // Before the first message: the logger looks for its library only once.
    mavel::test::loadWorld(R"({"harbor":{"exportsPath":"C:\\no-logging-library-here"}})");
    const Exchange quiet = twoRequests(silent);
    EXPECT_EQ(GetModuleHandleW(L"libquillon2_x64.dll"), nullptr);
    EXPECT_TRUE(mavel::test::logLines().empty());
    EXPECT_EQ(quiet.success, R"({"error":null,"value":null})");
    EXPECT_EQ(quiet.failure, R"({"error":{"message":"DELETE method is not allowed.","name":"MethodError"},"value":null})");
}
