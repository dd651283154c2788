// The `vorlune` command's rules: what each command line asks for, and which are usage errors.
#include "remote/RemoteArguments.h"

#include <gtest/gtest.h>

namespace vorlune {
namespace {

RemoteCommandLine Parse(std::vector<std::string_view> arguments) {
    return ParseRemoteArguments(arguments);
}

RemoteRequest RequestOf(std::vector<std::string_view> arguments) {
    const RemoteCommandLine line = Parse(std::move(arguments));
    EXPECT_TRUE(std::holds_alternative<RemoteRequest>(line));
    const auto* request = std::get_if<RemoteRequest>(&line);
    return request != nullptr ? *request : RemoteRequest{};
}

TEST(RemoteArguments, EachCommandReadsItsValueAndEveryBreakOfTheRulesIsAUsageError) {
    // Without arguments the program itself starts; --help and --version alone are answered here.
    EXPECT_TRUE(std::holds_alternative<StartProgram>(Parse({})));
    EXPECT_TRUE(std::holds_alternative<ShowHelp>(Parse({"--help"})));
    EXPECT_TRUE(std::holds_alternative<ShowVersion>(Parse({"--version"})));

    // The slot and the volume at both ends of their ranges, the switches in their three words.
    EXPECT_EQ(RequestOf({"play", "1"}).number, 1);
    EXPECT_EQ(RequestOf({"play", "209"}).number, 209);
    EXPECT_EQ(RequestOf({"play", "012"}).number, 12);
    EXPECT_EQ(RequestOf({"volume", "0"}).number, 0);
    EXPECT_EQ(RequestOf({"volume", "100"}).verb, RemoteVerb::Volume);
    EXPECT_EQ(RequestOf({"hotkeys", "off"}).change, SwitchChange::Off);
    EXPECT_EQ(RequestOf({"hotkeys", "on"}).change, SwitchChange::On);
    EXPECT_EQ(RequestOf({"repeat", "toggle"}).verb, RemoteVerb::Repeat);
    EXPECT_EQ(RequestOf({"stop"}).verb, RemoteVerb::Stop);
    EXPECT_EQ(RequestOf({"pause"}).verb, RemoteVerb::Pause);
    EXPECT_EQ(RequestOf({"show"}).verb, RemoteVerb::Show);
    EXPECT_FALSE(RequestOf({"status"}).json);
    EXPECT_TRUE(RequestOf({"list", "--json"}).json);
    EXPECT_TRUE(RequestOf({"--json", "status"}).json);

    const std::vector<std::vector<std::string_view>> wrong{
        {"dance"},
        {"play"},
        {"play", "abc"},
        {"play", "0"},
        {"play", "210"},
        {"play", "-3"},
        {"play", "+3"},
        {"play", "3", "4"},
        {"play", "3.0"},
        {"play", " 3"},
        {"play", "99999999999"},
        {"volume", "101"},
        {"volume", "-1"},
        {"volume", ""},
        {"hotkeys"},
        {"hotkeys", "yes"},
        {"repeat", "ON"},
        {"stop", "now"},
        {"play", "3", "--json"},
        {"--json"},
        {"--help", "play"},
        {"-platform", "xcb"},
        {"--version", "--json"},
    };
    for (const auto& arguments : wrong) {
        const RemoteCommandLine line = Parse(arguments);
        const auto* error = std::get_if<UsageError>(&line);
        ASSERT_NE(error, nullptr) << "accepted: " << arguments.front();
        EXPECT_FALSE(error->reason.empty());
    }
    EXPECT_NE(RemoteUsage().find("play N"), std::string_view::npos);
}

}  // namespace
}  // namespace vorlune
