// Faults and hostile inputs through frt2dxf-batch: nothing crashes, hangs or is lost, memory
// stays bounded, and an interrupted run leaves either the old file or the complete drawing.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

namespace fs = std::filesystem;
extern char** environ;

namespace {

const std::string kBatch = FRT2DXF_BATCH;

struct Outcome {
    int status = -1; // exit status, or -signal when killed
    double seconds = 0;
};

// Starts the batch tool; with a memory limit (in MiB of address space) it runs under
// "ulimit -v", so that going beyond the bound fails the run instead of passing unnoticed.
pid_t Spawn(const std::vector<std::string>& args, long limitMb = 0) {
    std::vector<std::string> front;
    if (limitMb > 0)
        front = {"/bin/sh", "-c", "ulimit -v " + std::to_string(limitMb * 1024) + " && exec \"$0\" \"$@\""};
    std::vector<char*> argv;
    for (std::string& word : front)
        argv.push_back(word.data());
    argv.push_back(const_cast<char*>(kBatch.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

Outcome Wait(pid_t pid, std::chrono::steady_clock::time_point start) {
    Outcome outcome;
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return outcome;
}

Outcome RunBatch(const std::vector<std::string>& args, long limitMb = 0) {
    const auto start = std::chrono::steady_clock::now();
    return Wait(Spawn(args, limitMb), start);
}

// Address-space limits do not work with AddressSanitizer's shadow memory.
long Limit(long megabytes) {
#if defined(__SANITIZE_ADDRESS__)
    return 0 * megabytes;
#else
    return megabytes;
#endif
}

bool CompleteDrawing(const std::string& text) {
    const std::string end = "\r\nEOF\r\n";
    return text.rfind("  0\r\nSECTION\r\n  2\r\nHEADER\r\n", 0) == 0 && text.size() > end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A few tens of megabytes of points and lines.
std::string LargeFrt() {
    std::string text = "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n";
    char record[160];
    for (int i = 0; i < 300000; ++i) {
        const int n = std::snprintf(record, sizeof record,
                                    "PID=%d;E=%.3f;N=%.3f;HO=%.3f;GROUP=TREE;CODE=OAK;PCLASS=MEAS\r\n", i,
                                    2600000.0 + i % 9973, 1200000.0 + i % 7919, 430.0 + i % 97);
        text.append(record, static_cast<std::size_t>(n));
    }
    return text;
}

} // namespace

TEST(Faults, AnInterruptedRunLeavesTheOldFileOrTheWholeDrawing) {
    TempDir dir;
    const std::string input = dir.Write("big.frt", LargeFrt());
    const std::string output = dir.File("big.dxf");
    const Outcome whole = RunBatch({"-q", "--label", "point-id", "--label", "east-north", input});
    ASSERT_EQ(whole.status, 0);
    const std::string complete = ReadFile(output);
    ASSERT_TRUE(CompleteDrawing(complete));

    std::mt19937 random(7);
    for (const int signal : {SIGTERM, SIGINT}) {
        for (int round = 0; round < 6; ++round) {
            const bool hadOld = round % 2 == 0;
            if (hadOld)
                dir.Write("big.dxf", "old drawing");
            else
                fs::remove(output);
            const double fraction = std::uniform_real_distribution<double>(0.05, 0.95)(random);
            const auto start = std::chrono::steady_clock::now();
            const pid_t pid = Spawn({"-q", "--label", "point-id", "--label", "east-north", input});
            std::this_thread::sleep_for(std::chrono::duration<double>(whole.seconds * fraction));
            kill(pid, signal);
            const Outcome outcome = Wait(pid, start);
            SCOPED_TRACE("signal " + std::to_string(signal) + " at " + std::to_string(fraction));
            EXPECT_TRUE(outcome.status == 0 || outcome.status == -signal) << outcome.status;
            // Killed just after the rename the drawing is complete too; never anything between.
            const bool isComplete = fs::exists(output) && ReadFile(output) == complete;
            const bool isOld = hadOld ? fs::exists(output) && ReadFile(output) == "old drawing" : !fs::exists(output);
            EXPECT_TRUE(isComplete || isOld);
            if (outcome.status == 0) {
                EXPECT_TRUE(isComplete);
            }
            const std::vector<std::string> expected =
                fs::exists(output) ? std::vector<std::string>{"big.dxf", "big.frt"} : std::vector<std::string>{"big.frt"};
            EXPECT_EQ(dir.Names(), expected) << "no temporary file is left";
        }
    }
}

TEST(Faults, HostileInputsGiveAClearOutcomeWithBoundedMemory) {
    TempDir dir;
    const std::string out = dir.File("out.dxf");

    const std::string empty = dir.Write("empty.frt", "");
    EXPECT_EQ(RunBatch({"-q", "-o", out, empty}).status, 1);

    std::string garbage(1 << 20, '\0');
    std::mt19937 random(3);
    for (char& c : garbage)
        c = static_cast<char>(random());
    EXPECT_EQ(RunBatch({"-q", "-o", out, dir.Write("garbage.frt", garbage)}).status, 1);
    EXPECT_EQ(RunBatch({"-q", "-o", out, dir.Write("garbage2.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\n" + garbage)})
                  .status,
              0)
        << "garbage inside a section is read as records";

    // A 2 GB file of zeros without a single line end: read once, never held.
    const std::string zeros = dir.File("zeros.frt");
    {
        std::FILE* file = std::fopen(zeros.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(ftruncate(fileno(file), std::int64_t{2} << 30), 0);
        std::fclose(file);
    }
    EXPECT_EQ(RunBatch({"-q", "-o", out, zeros}, Limit(128)).status, 1);
    fs::remove(zeros);

    // One line of 100 MB outside any section is skipped without being held; inside [Points]
    // it is one record, held once.
    const std::string line(100u << 20, 'x');
    const std::string skip = dir.Write("skip.frt", "[Header]\nFormat=Rev2Ezi\n" + line + "\n");
    EXPECT_EQ(RunBatch({"-q", "-o", out, skip}, Limit(128)).status, 0);
    const std::string held =
        dir.Write("held.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=1;REM=" + line + ";E=5\n");
    EXPECT_EQ(RunBatch({"-q", "-o", out, held}, Limit(128 + 4 * 100)).status, 0)
        << "a small multiple of the longest record";
    EXPECT_NE(ReadFile(out).find(" 10\r\n5.000000\r\n"), std::string::npos);
}

TEST(Faults, UnreadableInputIsReportedUnlessRootMayReadIt) {
    TempDir dir;
    const std::string input = dir.Write("locked.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=1\n");
    chmod(input.c_str(), 0);
    const Outcome outcome = RunBatch({"-q", input});
    if (geteuid() == 0)
        EXPECT_EQ(outcome.status, 0) << "root reads any file";
    else
        EXPECT_EQ(outcome.status, 1);
    chmod(input.c_str(), 0600);
}

TEST(Faults, TwoConversionsAtOnceEachWriteTheirOwnFile) {
    TempDir dir;
    const std::string big = LargeFrt();
    const std::string a = dir.Write("a.frt", big);
    const std::string b = dir.Write("b.frt", big.substr(0, big.size() / 2));
    const auto start = std::chrono::steady_clock::now();
    const pid_t first = Spawn({"-q", a});
    const pid_t second = Spawn({"-q", b});
    EXPECT_EQ(Wait(first, start).status, 0);
    EXPECT_EQ(Wait(second, start).status, 0);
    EXPECT_TRUE(CompleteDrawing(ReadFile(dir.File("a.dxf"))));
    EXPECT_TRUE(CompleteDrawing(ReadFile(dir.File("b.dxf"))));
    EXPECT_GT(fs::file_size(dir.File("a.dxf")), fs::file_size(dir.File("b.dxf")));
}
