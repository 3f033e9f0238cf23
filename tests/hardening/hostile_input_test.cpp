// Hostile request texts through the shipped DLL: every call answers exactly
// once with a well-formed envelope, whatever the texts hold. Requests here
// delete and write files where they name them, so the executable runs in a
// sealed Wine prefix (cmake/sealed-prefix.sh); each case checks that first.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "library_harness.h"
#include "request_corpus.h"

using mavel::test::HostileCorpus;
using mavel::test::HostileRequest;
using mavel::test::MavelLibrary;

namespace {

class HostileInput : public testing::Test {
protected:
    void SetUp() override {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        ASSERT_EQ(GetLogicalDrives(), 1u << 2) << "only C: may be mapped";
        ASSERT_EQ(std::wstring(folder), L"C:\\scratch") << "runs only inside the sealed prefix";
    }

    // Sends each request; the first faults are reported with their request.
    int sendAll(const std::vector<HostileRequest>& requests) {
        int faults = 0;
        for (const HostileRequest& request : requests) {
            const std::string fault = mavel::test::envelopeFault(mavel::test::send(library, request));
            if (!fault.empty() && ++faults <= 20)
                ADD_FAILURE() << fault << "\n  for " << mavel::test::describe(request);
        }
        return faults;
    }

    MavelLibrary library;
};

TEST_F(HostileInput, EveryMemberOfEveryResourceAnswersOnceWithAnEnvelope) {
    const std::uint32_t seed = mavel::test::setting("MAVEL_CORPUS_SEED", 13);
    HostileCorpus corpus(seed);
    std::vector<HostileRequest> requests = corpus.sweep();
    const std::uint32_t randomCalls = mavel::test::setting("MAVEL_CORPUS_CALLS", 20000);
    for (std::uint32_t i = 0; i < randomCalls; ++i) requests.push_back(corpus.next());
    // The plain exports between the requests, as a host may call them.
    for (std::size_t i = 0; i < requests.size(); i += 997) {
        library.function<void()>(i % 2 ? "Setup" : "TearDown")();
        library.function<void()>("MavelResetSystemIdleTimer")();
        library.function<void(void*)>("MavelRestorePowerManagementSettings")(
            library.function<void*()>("MavelDisablePowerManagementSettings")());
    }
    EXPECT_EQ(sendAll(requests), 0);
    std::printf("seed %u, %zu calls\n%s", seed, requests.size(), corpus.countsText().c_str());
}

TEST_F(HostileInput, HugeAndDeepTextsAnswerOnce) {
    const std::string big(50u << 20, 'A');
    const std::string deep(1000000, '[');
    const std::string deepObjects = [] {
        std::string text;
        for (int i = 0; i < 200000; ++i) text += R"({"a":)";
        return text;
    }();
    // 50 MB as a plain text, as one JSON string and inside members, where each reader takes it.
    std::vector<HostileRequest> requests{
        mavel::test::makeRequest("SystemLoginItem", "PUT", "", "", R"({"name":")" + big + R"(","enable":true})"),
        mavel::test::makeRequest("ScreenAtIndex", "PUT", "", "", big),
        mavel::test::makeRequest("SystemEventLogBackup", "POST", "", "", R"({"dstPath":")" + big + R"("})"),
        mavel::test::makeRequest("SystemInformation", "GET", "", "", '"' + big + '"')};
    for (const char* name : {"SystemLoginItem", "ScreensForPoint", "SystemInformation"}) {
        requests.push_back(mavel::test::makeRequest(name, "PUT", deep, deepObjects, deep));
        requests.push_back({name, deep, deepObjects, deep, deepObjects});
    }
    EXPECT_EQ(sendAll(requests), 0);
}

// The texts are C strings: what follows a zero byte never arrives, and what
// arrives is read as it stands.
TEST_F(HostileInput, TextsArriveUpToTheirFirstZeroByte) {
    struct Case {
        const char* exportName;
        std::string options, params;
        std::int32_t status;
        const char* message;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"SystemInformation", "{\"method\":\"DELETE\"}\0x"s, "", 405, "DELETE method is not allowed."},
        {"SystemInformation", "{\"method\":\"DEL\0ETE\"}"s, "", 200, ""},
        {"SystemInformation", "{\"method\":\"DELETE\"\0}"s, "", 405, "DELETE method is not allowed."},
        {"ScreensForPoint", R"({"method":"GET"})", R"({"point":"x"})", 400, "point is invalid."},
        {"ScreensForPoint", R"({"method":"GET"})", R"({"point":"1x2x3"})", 400, "point is invalid."},
        {"ScreensForPoint", R"({"method":"GET"})", "{\"point\":\"0x0\0x3\"}"s, 400, "point is invalid."},
        {"ScreensForPoint", R"({"method":"GET"})",
         "{\"point\":\"x\0"
         "1x2\"}"s,
         400, "point is invalid."},
    };
    for (const Case& c : cases) {
        const mavel::test::Response answer = library.callRaw(c.exportName, c.options.c_str(), c.params.c_str(), "", "");
        EXPECT_EQ(answer.status, c.status) << c.exportName << " " << c.params;
        EXPECT_EQ(answer.errorMessage(), c.message) << c.exportName << " " << c.params;
    }
}

}  // namespace
