#include "ProgramOptions.h"

#include <gtest/gtest.h>

using boardsim::Fault;
using boardsim::ProgramOptions;

namespace {

ProgramOptions parse(std::vector<std::string> args)
{
    ProgramOptions options;
    std::string error;
    EXPECT_TRUE(boardsim::parseProgramOptions(args, options, error)) << error;
    return options;
}

std::string refusal(std::vector<std::string> args)
{
    ProgramOptions options;
    std::string error;
    EXPECT_FALSE(boardsim::parseProgramOptions(args, options, error));
    return error;
}

} // namespace

TEST(ProgramOptions, DefaultsToOnePacedSmallBoardWithIdOne)
{
    const ProgramOptions o = parse({});
    ASSERT_EQ(o.boards.size(), 1u);
    EXPECT_EQ(o.boards[0].id, 1);
    EXPECT_EQ(o.boards[0].capacity, 0x8000u);
    EXPECT_TRUE(o.pacing);
    EXPECT_TRUE(o.readStdin);
    EXPECT_EQ(o.portNumber, 1);
}

TEST(ProgramOptions, BoardListsTakeOneValueForAllOrOnePerBoard)
{
    const ProgramOptions o =
        parse({"--boards", "1,2", "--size", "27C512", "--version", "1.2,3.4", "--no-pacing"});
    ASSERT_EQ(o.boards.size(), 2u);
    EXPECT_EQ(o.boards[1].id, 2);
    EXPECT_EQ(o.boards[0].capacity, 0x10000u);
    EXPECT_EQ(o.boards[1].capacity, 0x10000u);
    EXPECT_EQ(o.boards[0].major, 1);
    EXPECT_EQ(o.boards[1].minor, 4);
    EXPECT_FALSE(o.pacing);

    EXPECT_FALSE(refusal({"--boards", "1,2", "--size", "27c256,27c512,27c512"}).empty());
    EXPECT_FALSE(refusal({"--boards", "1,2,3"}).empty());
    EXPECT_FALSE(refusal({"--boards", "256"}).empty());
    EXPECT_FALSE(refusal({"--size", "27c128"}).empty());
    EXPECT_FALSE(refusal({"--version", "1"}).empty());
}

TEST(ProgramOptions, FilesFaultsAndLoads)
{
    const ProgramOptions o = parse(
        {"--port-file", "p",       "--program-folder", "d",   "--port-number", "3", "--load",  "a.bin@2",
         "--load",      "b@x.bin", "--save-dir",       "s",   "--log",         "l", "--fault", "late:2",
         "--fault",     "hangup",  "--late-ms",        "900", "--no-stdin"});
    EXPECT_EQ(o.portFile, "p");
    EXPECT_EQ(o.programFolder, "d");
    EXPECT_EQ(o.portNumber, 3);
    ASSERT_EQ(o.loads.size(), 2u);
    EXPECT_EQ(o.loads[0].file, "a.bin");
    EXPECT_EQ(o.loads[0].id, 2);
    EXPECT_EQ(o.loads[1].file, "b@x.bin"); // '@' not followed by an ID belongs to the name
    EXPECT_EQ(o.loads[1].id, -1);
    ASSERT_EQ(o.faults.size(), 2u);
    EXPECT_EQ(o.faults[0], std::make_pair(Fault::LateReply, 2));
    EXPECT_EQ(o.faults[1], std::make_pair(Fault::HangUp, 1));
    EXPECT_EQ(o.lateDelay, std::chrono::milliseconds(900));
    EXPECT_FALSE(o.readStdin);

    EXPECT_FALSE(refusal({"--fault", "sometimes"}).empty());
    EXPECT_FALSE(refusal({"--fault", "late:x"}).empty());
    EXPECT_FALSE(refusal({"--log"}).empty());
    EXPECT_FALSE(refusal({"--frobnicate"}).empty());
}

TEST(ProgramOptions, HelpListsEveryOptionAndCommand)
{
    const std::string help = boardsim::helpText();
    for (const char* word :
         {"--boards",      "--size",     "--version",  "--no-pacing", "--port-file",   "--program-folder",
          "--port-number", "--load",     "--save-dir", "--log",       "--fault",       "--late-ms",
          "--no-stdin",    "noreply",    "late",       "wrongsum",    "wrongchecksum", "extra",
          "hangup",        "save [DIR]", "dump ID",    "frames",      "pull ID",       "id INDEX",
          "quit",          "PORT <path>"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    EXPECT_TRUE(parse({"--help"}).help);
}

TEST(ProgramOptions, EcuOptionsNeedTheEcu)
{
    const ProgramOptions o =
        parse({"--ecu", "--definition", "config/default", "--ecu-fault", "noise:3", "--ecu-fault", "SILENT"});
    EXPECT_TRUE(o.ecu);
    EXPECT_EQ(o.definitionFile, "config/default");
    ASSERT_EQ(o.ecuFaults.size(), 2u);
    EXPECT_EQ(o.ecuFaults[0], std::make_pair(boardsim::EcuFault::Noise, 3));
    EXPECT_EQ(o.ecuFaults[1], std::make_pair(boardsim::EcuFault::Silent, 1));
    EXPECT_FALSE(parse({}).ecu);
    EXPECT_EQ(o.ecuPortNumber, 0);
    EXPECT_EQ(parse({"--ecu", "--ecu-port-number", "7"}).ecuPortNumber, 7);
    EXPECT_FALSE(refusal({"--ecu", "--ecu-port-number", "0"}).empty());

    EXPECT_NE(refusal({"--definition", "x"}).find("--ecu"), std::string::npos);
    EXPECT_FALSE(refusal({"--ecu", "--ecu-fault", "loud"}).empty());
    EXPECT_FALSE(refusal({"--ecu", "--ecu-fault", "noise:x"}).empty());
    EXPECT_NE(boardsim::helpText().find("--ecu"), std::string::npos);
}
