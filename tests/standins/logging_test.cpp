// The host plug-in stand-in (libHarbor_x64.dll) and the logging stand-in
// (libquillon2_x64.dll).

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

#include "standin_test_support.h"

namespace {

using standin_test::Json;
using standin_test::Module;

using LogFn = std::int32_t(void*, const char*, std::uint32_t, const char*);

TEST(StandinHarbor, PluginFolderIsTheStandinsOwnUnlessTheWorldNamesOne) {
    const Module harbor = Module::full(L"libHarbor_x64.dll");
    auto exportsPath = harbor.function<const char*()>("Hrb_GetRegistryExportsPath");
    EXPECT_EQ(exportsPath(), standin_test::utf8(standin_test::binFolder()));

    ASSERT_TRUE(harbor.loadWorld(R"({"harbor": {"exportsPath": "C:\\plug-ins\\Tëst"}})"));
    EXPECT_STREQ(exportsPath(), "C:\\plug-ins\\T\xC3\xABst");

    ASSERT_TRUE(harbor.loadWorld(R"({"harbor": {"fail": ["Hrb_GetRegistryExportsPath"]}})"));
    EXPECT_STREQ(exportsPath(), "");
}

class StandinQuillon : public ::testing::Test {
protected:
    void SetUp() override { standin_test::setEnvironment(L"QUILLON_LOG_FILE", logFile.path()); }

    standin_test::TemporaryFile logFile;
    Module quillon = Module::full(L"libquillon2_x64.dll");

    void* logger() const { return quillon.function<void*()>("quillon_get_logger")(); }
    std::int32_t log(void* handle, const char* name, std::uint32_t level, const char* message) const {
        return quillon.function<LogFn>("quillon_log")(handle, name, level, message);
    }
    Json lines() const { return Json::parse(quillon.function<const char*()>("QuillonStandinLines")()); }
};

TEST_F(StandinQuillon, MessagesGoToMemoryAndToTheLogFile) {
    void* handle = logger();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(log(handle, "Mavel", 2, "GET Screens 200"), 0);
    EXPECT_EQ(log(handle, "Mavel", 3, "event:sessionChanged\tmsg:Session locked"), 0);

    EXPECT_EQ(lines(), Json::parse(R"([{"level": 2, "logger": "Mavel", "message": "GET Screens 200"},
        {"level": 3, "logger": "Mavel", "message": "event:sessionChanged\tmsg:Session locked"}])"));
    EXPECT_EQ(logFile.read(), "2\tMavel\tGET Screens 200\n3\tMavel\tevent:sessionChanged\tmsg:Session locked\n");

    quillon.function<void()>("QuillonStandinClear")();
    EXPECT_TRUE(lines().empty());
}

TEST_F(StandinQuillon, RefusesHandlesItDidNotGiveOut) {
    int foreign = 0;
    EXPECT_LT(log(nullptr, "Mavel", 2, "lost"), 0);
    EXPECT_LT(log(&foreign, "Mavel", 2, "lost"), 0);
    EXPECT_LT(log(logger(), nullptr, 2, "lost"), 0);
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(logFile.read(), "");
}

TEST_F(StandinQuillon, WorldCanWithholdTheLogger) {
    ASSERT_TRUE(quillon.loadWorld(R"({"quillon": {"nullLogger": true}})"));
    EXPECT_EQ(logger(), nullptr);
    ASSERT_TRUE(quillon.loadWorld(R"({"quillon": {"fail": ["quillon_log"]}})"));
    EXPECT_LT(log(logger(), "Mavel", 5, "dropped"), 0);
    EXPECT_TRUE(lines().empty());
}

TEST_F(StandinQuillon, ConcurrentMessagesArriveWholeAndComplete) {
    constexpr int kThreads = 4;
    constexpr int kMessages = 50;
    void* handle = logger();
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([this, handle, t] {
            for (int m = 0; m < kMessages; ++m) {
                log(handle, "Mavel", 2, ("writer " + std::to_string(t) + " message " + std::to_string(m)).c_str());
            }
        });
    }
    for (std::thread& writer : writers) writer.join();

    EXPECT_EQ(lines().size(), static_cast<std::size_t>(kThreads * kMessages));
    std::istringstream file(logFile.read());
    int count = 0;
    for (std::string line; std::getline(file, line); ++count) {
        EXPECT_EQ(line.rfind("2\tMavel\twriter ", 0), 0u) << line;
    }
    EXPECT_EQ(count, kThreads * kMessages);
}

}  // namespace
