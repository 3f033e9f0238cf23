// mavel-cli watch and devices: their command lines.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "arguments.h"

namespace {

using mavel::cli::parseArguments;
using Arguments = std::vector<std::string>;

TEST(MavelCliWatch, StepsKeepTheirOrderAndTheirOwnRequestTexts) {
    const auto outcome = parseArguments(Arguments{"watch", "--call", "Screens", "-X", "PUT", "--then-world", "b.json",
                                                  "--seconds", "0", "--call", "ScreensForPoint", "--params", "{}"});
    ASSERT_TRUE(outcome.invocation && outcome.invocation->steps.size() == 3) << outcome.error;
    const std::vector<mavel::cli::Step>& steps = outcome.invocation->steps;
    EXPECT_EQ(outcome.invocation->seconds, 0);
    EXPECT_EQ(std::string(steps[0].call.target->name) + steps[0].call.method, "ScreensPUT");
    EXPECT_EQ(steps[1].kind, mavel::cli::StepKind::LoadWorld);
    EXPECT_EQ(steps[1].world, "b.json");
    EXPECT_EQ(steps[2].call.method + steps[2].call.params, "GET{}");
}

TEST(MavelCliWatch, SendsTheWindowsMessageOfEachKind) {
    Arguments arguments{"watch"};
    for (const char* kind :
         {"display-change", "time-change", "session-lock", "session-unlock", "console-connect", "console-disconnect"}) {
        arguments.insert(arguments.end(), {"--send", kind});
    }
    const auto outcome = parseArguments(arguments);
    ASSERT_TRUE(outcome.invocation) << outcome.error;
    std::vector<std::pair<UINT, WPARAM>> sent;
    for (const mavel::cli::Step& step : outcome.invocation->steps) {
        sent.emplace_back(step.message->message, step.message->wParam);
    }
    constexpr UINT kSession = WM_WTSSESSION_CHANGE;
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_DISPLAYCHANGE, 0},           {WM_TIMECHANGE, 0},
        {kSession, WTS_SESSION_LOCK},    {kSession, WTS_SESSION_UNLOCK},
        {kSession, WTS_CONSOLE_CONNECT}, {kSession, WTS_CONSOLE_DISCONNECT}};
    EXPECT_EQ(sent, expected);
}

// Device events flow only after a PUT DeviceNotification, so one is put before
// the first device change unless the user called it; a GET does not count.
TEST(MavelCliWatch, PlugAndUnplugNameTheirWorldSectionAfterAPutDeviceNotification) {
    const auto outcome =
        parseArguments(Arguments{"watch", "--call", "DeviceNotification", "--plug", "monitor", "--unplug", "lighting",
                                 "--plug", "serial-sensor", "--unplug", "sensor"});
    ASSERT_TRUE(outcome.invocation) << outcome.error;
    std::vector<std::string> steps;
    for (const mavel::cli::Step& step : outcome.invocation->steps) {
        const bool plug = step.kind == mavel::cli::StepKind::Plug;
        steps.push_back(step.kind == mavel::cli::StepKind::Call
                            ? step.call.method + " " + std::string(step.call.target->name)
                            : (plug ? "plug " : "unplug ") + std::string(step.device->section));
    }
    const std::vector<std::string> expected{"GET DeviceNotification", "PUT DeviceNotification", "plug pltc",
                                            "unplug pallet",          "plug bramble",           "unplug trellis"};
    EXPECT_EQ(steps, expected);
    const auto called =
        parseArguments(Arguments{"watch", "--call", "DeviceNotification", "-X", "PUT", "--plug", "sensor"});
    ASSERT_TRUE(called.invocation) << called.error;
    EXPECT_EQ(called.invocation->steps.size(), 2u);
    const auto devices = parseArguments(Arguments{"devices", "--world", "w.json"});
    ASSERT_TRUE(devices.invocation) << devices.error;
    EXPECT_EQ(devices.invocation->command, mavel::cli::Command::Devices);
    EXPECT_EQ(devices.invocation->world, "w.json");
}

TEST(MavelCliWatch, RefusesWhatItCannotDo) {
    const std::vector<Arguments> refused{{"watch", "Screens"},
                                         {"watch", "-X", "PUT", "--call", "Screens"},
                                         {"watch", "--send", "reboot"},
                                         {"watch", "--call", "Setup"},
                                         {"watch", "--seconds", "3s"},
                                         {"watch", "--then-world", ""},
                                         {"watch", "--plug", "printer"},
                                         {"watch", "--unplug", "Monitor"},
                                         {"watch", "--unplug"},
                                         {"SystemInformation", "--plug", "monitor"},
                                         {"watch", "--plug", "monitor", "--query", "{}"},
                                         {"devices", "--dll", "x.dll"},
                                         {"SystemInformation", "--live", "--dll", "x.dll"},
                                         {"devices", "SystemInformation"}};
    for (const Arguments& arguments : refused) EXPECT_FALSE(parseArguments(arguments).invocation) << arguments[1];
}

}  // namespace
