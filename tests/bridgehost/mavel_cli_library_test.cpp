// mavel-cli against the real library beside it.

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"

namespace {

using mavel::testing::ChildResult;
using mavel::testing::executableFolder;
using mavel::testing::runChild;

ChildResult runCli(const std::vector<std::wstring>& arguments) {
    ChildResult result = runChild(executableFolder() + L"mavel-cli.exe", arguments);
    EXPECT_TRUE(result.started) << "mavel-cli.exe could not be started";
    return result;
}

TEST(MavelCliWithLibrary, MethodTheResourceLacksAnswers405) {
    const ChildResult result = runCli({L"SystemInformation", L"-X", L"DELETE", L"--raw"});
    EXPECT_EQ(result.exitCode, 1u) << result.err;
    EXPECT_EQ(result.out,
              "405\n{\"error\":{\"message\":\"DELETE method is not allowed.\",\"name\":\"MethodError\"},"
              "\"value\":null}\n");
}

TEST(MavelCliWithLibrary, PrettyAnswerKeepsStatusLineFirst) {
    const ChildResult result = runCli({L"SystemInformation", L"-X", L"delete"});
    EXPECT_EQ(result.exitCode, 1u) << result.err;
    EXPECT_TRUE(result.out.starts_with("405\n{")) << result.out;
    EXPECT_NE(result.out.find("\"DELETE method is not allowed.\""), std::string::npos) << result.out;
}

}  // namespace
