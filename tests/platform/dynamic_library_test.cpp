// Run-time loaded libraries: missing files, missing functions, and a file
// that appears while the host runs.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "library_harness.h"
#include "platform/dynamic_library.h"
#include "platform/ostrel.h"
#include "result/result.h"

namespace {

// A loader of the same kind as the library's own, for a file the test controls.
class LateLoader final : public kelto::LibraryLoader<LateLoader> {
public:
    static constexpr const char* kFileName = "mavel_late_library.dll";
    static constexpr const char* kMissingMessage = "late does not have a requested function.";
};

constexpr ExportedFunction<const char*()> getOSName{"OstrGetOSName"};
constexpr ExportedFunction<const char*()> notThere{"OstrNoSuchFunction"};

}  // namespace

TEST(Loaders, FindTheirLibrariesAndFunctions) {
    auto& ostrel = kelto::ostrelLoader::instance();
    EXPECT_EQ(&ostrel, &kelto::ostrelLoader::instance());
    EXPECT_TRUE(ostrel.hasFunction(getOSName));
    EXPECT_STREQ(ostrel.invoke(getOSName), OstrGetOSName());
    EXPECT_FALSE(ostrel.hasFunction(notThere));
}

TEST(Loaders, EachLoadsItsLibraryAndAnswers404NamingItForAMissingFunction) {
    const auto answerOf = [](auto& loader) -> std::string {
        if (!loader.isLoaded()) return "not loaded";
        try {
            loader.invoke(notThere);
        } catch (const BridgeResultError& error) {
            return std::to_string(error.statusCode) + " " + error.name + " " + error.message;
        }
        return "no error";
    };
    const std::string missing = " does not have a requested function.";
    EXPECT_EQ(answerOf(kelto::ostrelLoader::instance()), "404 FunctionNotFoundError ostrel" + missing);
    EXPECT_EQ(answerOf(kelto::libpalletLoader::instance()), "404 FunctionNotFoundError libpallet" + missing);
    EXPECT_EQ(answerOf(kelto::libcarvel2Loader::instance()), "404 FunctionNotFoundError libcarvel2" + missing);
    EXPECT_EQ(answerOf(kelto::BrambleLoader::instance()), "404 FunctionNotFoundError Bramble" + missing);
}

TEST(Loaders, MissingFileIsLookedForAgainOnEveryUse) {
    const std::filesystem::path bin = mavel::test::binFolder();
    const std::filesystem::path late = bin / LateLoader::kFileName;
    std::filesystem::remove(late);

    auto& loader = LateLoader::instance();
    EXPECT_FALSE(loader.isLoaded());
    EXPECT_FALSE(loader.hasFunction(getOSName));
    EXPECT_THROW(loader.invoke(getOSName), BridgeResultError);

    // The file appears while the host runs: the next use loads it.
    std::filesystem::copy_file(bin / "libostrel_x64.dll", late, std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(LateLoader::instance().isLoaded());
    EXPECT_TRUE(LateLoader::instance().hasFunction(getOSName));
    EXPECT_EQ(LateLoader::instance().path().text(), LateLoader::kFileName);
}

TEST(DynamicLibrary, PlainLibraryReportsNothingAndReleasesItsModule) {
    HMODULE module = nullptr;
    {
        DynamicLibrary library;
        EXPECT_FALSE(library.load(fs::Path("no_such_library_anywhere.dll")));
        EXPECT_FALSE(library.hasFunction("anything"));
        EXPECT_NO_THROW(library.onFunctionNotFound());
        ASSERT_TRUE(library.load(fs::Path("libpallet_x64.dll")));
        module = GetModuleHandleW(L"libpallet_x64.dll");
        EXPECT_NE(module, nullptr);
    }
    // The test process had not loaded it otherwise: the owner released it.
    EXPECT_EQ(GetModuleHandleW(L"libpallet_x64.dll"), nullptr);
}
