// The host plug-in stand-in (libHarbor_x64.dll), which names the folder of the
// logging library, and the logging stand-in (libquillon2_x64.dll).

#include <gtest/gtest.h>

#include "standin_test_support.h"

namespace {

using standin_test::Json;
using standin_test::Module;

TEST(StandinHarbor, PluginFolderIsTheOneHoldingTheStandinUnlessTheWorldNamesOne) {
    const Module harbor{L"libHarbor_x64.dll"};
    auto exportsPath = harbor.function<const char*()>("Hrb_GetRegistryExportsPath");
    std::string own(MAX_PATH, '\0');
    own.resize(GetModuleFileNameA(harbor.handle(), own.data(), MAX_PATH));
    EXPECT_EQ(exportsPath(), own.substr(0, own.find_last_of('\\')));
    ASSERT_TRUE(harbor.loadWorld(R"({"harbor": {"exportsPath": "C:\\plug-ins\\Tëst"}})"));
    EXPECT_STREQ(exportsPath(), "C:\\plug-ins\\T\xC3\xABst");
}

TEST(StandinQuillon, MessagesOfItsOwnLoggerReachMemoryAndTheLogFile) {
    const standin_test::TemporaryFile logFile;
    SetEnvironmentVariableW(L"QUILLON_LOG_FILE", logFile.path.c_str());
    const Module quillon{L"libquillon2_x64.dll"};
    auto log = quillon.function<std::int32_t(void*, const char*, std::uint32_t, const char*)>("quillon_log");
    auto lines = [&] { return Json::parse(quillon.function<const char*()>("QuillonStandinLines")()); };
    void* logger = quillon.function<void*()>("quillon_get_logger")();
    ASSERT_NE(logger, nullptr);

    int foreign = 0;
    EXPECT_LT(log(&foreign, "Mavel", 2, "lost"), 0);
    EXPECT_EQ(log(logger, "Mavel", 2, "GET Screens 200"), 0);
    EXPECT_EQ(log(logger, "Mavel", 3, "event:sessionChanged\tmsg:Session locked"), 0);

    EXPECT_EQ(lines(), Json::parse(R"([{"level": 2, "logger": "Mavel", "message": "GET Screens 200"},
        {"level": 3, "logger": "Mavel", "message": "event:sessionChanged\tmsg:Session locked"}])"));
    EXPECT_EQ(logFile.read(), "2\tMavel\tGET Screens 200\n3\tMavel\tevent:sessionChanged\tmsg:Session locked\n");
    quillon.function<void()>("QuillonStandinClear")();
    EXPECT_TRUE(lines().empty());
    SetEnvironmentVariableW(L"QUILLON_LOG_FILE", nullptr);
}

}  // namespace
