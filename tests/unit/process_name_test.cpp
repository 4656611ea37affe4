#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "server/process_name.h"
#include "server/server_control_rules.h"

namespace carrow {
namespace {

constexpr const char* kServer = "samp-server.exe";

TEST(ImageNameMatches, FoldsOnlyAsciiLetters) {
    EXPECT_TRUE(ImageNameMatches("samp-server.exe", kServer));
    EXPECT_TRUE(ImageNameMatches("SAMP-SERVER.EXE", kServer));
    EXPECT_TRUE(ImageNameMatches("Samp-Server.exe", kServer));
    EXPECT_FALSE(ImageNameMatches("samp_server.exe", kServer));
    // Cyrillic "С" (0xD1 in code page 1251) and "с" (0xF1) are different.
    EXPECT_FALSE(ImageNameMatches("\xD1\xE5\xF0\xE2\xE5\xF0.exe", "\xF1\xE5\xF0\xE2\xE5\xF0.exe"));
    EXPECT_TRUE(ImageNameMatches("\xD1\xE5\xF0\xE2\xE5\xF0.EXE", "\xD1\xE5\xF0\xE2\xE5\xF0.exe"));
}

TEST(ImageNameMatches, WantsTheWholeNameNotAPartOfIt) {
    EXPECT_FALSE(ImageNameMatches("samp-server.exe.old", kServer));
    EXPECT_FALSE(ImageNameMatches("my-samp-server.exe", kServer));
    EXPECT_FALSE(ImageNameMatches("samp-server", kServer));
    EXPECT_FALSE(ImageNameMatches("", kServer));
    EXPECT_FALSE(ImageNameMatches("samp-server.exe ", kServer));
}

TEST(ImageNameMatches, LooksAtTheFileNamePartOfAPath) {
    EXPECT_TRUE(ImageNameMatches("C:\\Games\\SAMP\\samp-server.exe", kServer));
    EXPECT_TRUE(ImageNameMatches("\\\\?\\C:\\S\\SAMP-SERVER.EXE", kServer));
    EXPECT_TRUE(ImageNameMatches("C:samp-server.exe", kServer));
    EXPECT_FALSE(ImageNameMatches("C:\\samp-server.exe\\other.exe", kServer));
    EXPECT_FALSE(ImageNameMatches("C:\\x\\my-samp-server.exe", kServer));
    // Forward slashes do not separate folders here.
    EXPECT_FALSE(ImageNameMatches("C:/x/samp-server.exe", kServer));
}

TEST(ImageNameMatches, FallsBackToTheWholeImageName) {
    EXPECT_TRUE(ImageNameMatches("C:\\x\\server.exe", "C:\\X\\SERVER.EXE"));
    EXPECT_FALSE(ImageNameMatches("C:\\x\\server.exe", "D:\\x\\server.exe"));
}

TEST(ImageNameField, StopsAtTheFirstZeroOrTheFieldsEnd) {
    char field[260];
    std::memset(field, 'x', sizeof field);
    std::memcpy(field, "samp-server.exe\0junk", 20);
    EXPECT_EQ(ImageNameField(field, sizeof field), "samp-server.exe");
    std::memset(field, 'a', sizeof field);  // no zero at all
    EXPECT_EQ(ImageNameField(field, sizeof field).size(), 260u);
    field[0] = '\0';
    EXPECT_EQ(ImageNameField(field, sizeof field), "");
}

// Each command's steps as they ran; a step named in `failing` throws.
std::string Steps(ServerCommand command, const std::string& failing = "") {
    std::string ran;
    auto step = [&](const std::string& name) {
        ran += ran.empty() ? name : " " + name;
        if (name == failing) throw std::runtime_error("Not enough timers available");
    };
    const ServerSteps steps{[&] { step("terminate"); }, [&](bool on) { step(on ? "timer-on" : "timer-off"); },
                            [&] { step("launch"); }};
    try {
        RunServerCommand(command, steps);
    } catch (const std::runtime_error&) {
        ran += " !";
    }
    return ran;
}

TEST(ServerCommands, RunTheirStepsInOrder) {
    EXPECT_EQ(Steps(ServerCommand::Start), "timer-on launch");
    EXPECT_EQ(Steps(ServerCommand::Restart), "terminate timer-on launch");
    EXPECT_EQ(Steps(ServerCommand::Stop), "terminate timer-off");
}

TEST(ServerCommands, ARefusedTimerEndsTheCommandBeforeTheLaunch) {
    EXPECT_EQ(Steps(ServerCommand::Start, "timer-on"), "timer-on !");
    EXPECT_EQ(Steps(ServerCommand::Restart, "timer-on"), "terminate timer-on !") << "the old server is already gone";
}

}  // namespace
}  // namespace carrow
