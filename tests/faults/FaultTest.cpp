// Faults and hostile inputs through frt2dxf-batch: nothing crashes, hangs or is lost, memory
// stays bounded, and an interrupted run leaves either the old file or the complete drawing.
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

namespace fs = std::filesystem;
extern char** environ; // NOLINT(readability-redundant-declaration): not every libc declares it

namespace {

const std::string kBatch = FRT2DXF_BATCH;

struct Outcome {
    int status = -1; // exit status, or -signal when killed
    double seconds = 0;
};

// How to start the batch tool: limits go through "ulimit", so that going beyond a bound fails
// the run instead of passing unnoticed.
struct RunSetup {
    long memoryMb = 0;              // address space
    long fileBlocks = 0;            // largest file the run may write, in the shell's blocks
    bool withoutRootRights = false; // as user nobody, so that file permissions apply to root too
    std::string errorFile = "/dev/null";
    int input = -1;             // standard input, when not the test's own
    bool closedOutputs = false; // started with standard output and error closed
};

pid_t Spawn(const std::vector<std::string>& args, const RunSetup& setup) {
    std::string script;
    if (setup.memoryMb > 0)
        script += "ulimit -v " + std::to_string(setup.memoryMb * 1024) + " && ";
    if (setup.fileBlocks > 0)
        script += "ulimit -f " + std::to_string(setup.fileBlocks) + " && ";
    script += "exec ";
    if (setup.withoutRootRights && geteuid() == 0)
        script += "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    script += R"("$0" "$@")";
    std::vector<std::string> words = {"/bin/sh", "-c", script, kBatch};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (setup.input >= 0)
        posix_spawn_file_actions_adddup2(&actions, setup.input, 0);
    if (setup.closedOutputs) {
        posix_spawn_file_actions_addclose(&actions, 1);
        posix_spawn_file_actions_addclose(&actions, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, setup.errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    }
    pid_t pid = -1;
    posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

pid_t Spawn(const std::vector<std::string>& args) {
    return Spawn(args, RunSetup{});
}

Outcome Wait(pid_t pid, std::chrono::steady_clock::time_point start) {
    Outcome outcome;
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return outcome;
}

Outcome RunBatch(const std::vector<std::string>& args, const RunSetup& setup) {
    const auto start = std::chrono::steady_clock::now();
    return Wait(Spawn(args, setup), start);
}

Outcome RunBatch(const std::vector<std::string>& args, long memoryMb = 0) {
    RunSetup setup;
    setup.memoryMb = memoryMb;
    return RunBatch(args, setup);
}

// Address-space limits do not work with AddressSanitizer's shadow memory.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressLimitsWork = false;
#else
constexpr bool kAddressLimitsWork = true;
#endif

// The limit to run under, or none where limits do not work.
long Limit(long megabytes) {
    return kAddressLimitsWork ? megabytes : 0;
}

bool CompleteDrawing(const std::string& text) {
    const std::string end = "\r\nEOF\r\n";
    return text.rfind("  0\r\nSECTION\r\n  2\r\nHEADER\r\n", 0) == 0 && text.size() > end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A few tens of megabytes of points: a run long enough to be stopped or raced against. The
// sanitizers slow the program down as much as a third of the survey would.
std::string LargeFrt() {
    std::string text = "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n";
    char record[160];
    constexpr int kPoints = kAddressLimitsWork ? 300000 : 100000;
    for (int i = 0; i < kPoints; ++i) {
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
    // A kill too: the temporary drawing has no name until the commit, so nothing stays.
    for (const int signal : {SIGTERM, SIGINT, SIGKILL}) {
        for (int round = 0; round < 4; ++round) {
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
            const bool isOld =
                hadOld ? fs::exists(output) && ReadFile(output) == "old drawing" : !fs::exists(output);
            EXPECT_TRUE(isComplete || isOld);
            if (outcome.status == 0) {
                EXPECT_TRUE(isComplete);
            }
            const std::vector<std::string> expected = fs::exists(output)
                                                          ? std::vector<std::string>{"big.dxf", "big.frt"}
                                                          : std::vector<std::string>{"big.frt"};
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
    EXPECT_EQ(RunBatch({"-q", "-o", out,
                        dir.Write("garbage2.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\n" + garbage)})
                  .status,
              0)
        << "garbage inside a section is read as records";

    // What a crash leaves: a survey followed by 2 GB of zeros without a single line end. Read
    // once and never held; the tail is a finding, not a point at 0,0, and --strict refuses it.
    const std::string zeros = dir.File("zeros.frt");
    {
        const std::string survey = "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=1;E=5;N=6\n";
        std::FILE* file = std::fopen(zeros.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs(survey.c_str(), file);
        ASSERT_EQ(ftruncate(fileno(file), static_cast<off_t>(survey.size() + (std::int64_t{2} << 30))), 0);
        std::fclose(file);
    }
    RunSetup bounded;
    bounded.memoryMb = Limit(128);
    bounded.errorFile = dir.File("err.txt");
    EXPECT_EQ(RunBatch({"-q", "-o", out, zeros}, bounded).status, 0);
    EXPECT_NE(ReadFile(bounded.errorFile).find("zeros.frt:5: record: longer than 1 MiB"), std::string::npos)
        << ReadFile(bounded.errorFile);
    EXPECT_EQ(ReadFile(out).find("  0\r\nINSERT"), ReadFile(out).rfind("  0\r\nINSERT"))
        << "one point, none at 0,0";
    EXPECT_EQ(RunBatch({"-q", "--strict", "-o", out, zeros}, Limit(128)).status, 1);
    fs::remove(zeros);

    // One line of 100 MB outside any section is skipped without being held, and inside [Points]
    // too: no record is that long, so it is a finding. A short line with NUL bytes is one as well.
    const std::string line(100u << 20, 'x');
    const std::string skip = dir.Write("skip.frt", "[Header]\nFormat=Rev2Ezi\n" + line + "\n");
    EXPECT_EQ(RunBatch({"-q", "-o", out, skip}, Limit(128)).status, 0);
    const std::string held = dir.Write(
        "held.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=1;REM=" + line + ";E=5\nPID=2;E=7;N=8\n" +
                        std::string("PID=3;E=9;REM=a\0b\n", 18) + std::string(4096, '\0') + "\n");
    EXPECT_EQ(RunBatch({"-q", "-o", out, held}, bounded).status, 0);
    const std::string findings = ReadFile(bounded.errorFile);
    EXPECT_NE(findings.find("held.frt:4: record: longer than 1 MiB"), std::string::npos) << findings;
    EXPECT_NE(findings.find("held.frt:6: record: holds NUL bytes (the file may be damaged)\n"),
              std::string::npos)
        << findings;
    EXPECT_NE(findings.find("held.frt:7: record: only NUL bytes (the file may be damaged); skipped"),
              std::string::npos)
        << findings;
    const std::string drawing = ReadFile(out);
    EXPECT_EQ(drawing.find(" 10\r\n5.000000\r\n"), std::string::npos);
    EXPECT_NE(drawing.find(" 10\r\n7.000000\r\n"), std::string::npos);
    EXPECT_NE(drawing.find(" 10\r\n9.000000\r\n"), std::string::npos) << "zeros among data stay data";
    std::size_t inserts = 0;
    for (std::size_t at = drawing.find("  0\r\nINSERT\r\n"); at != std::string::npos;
         at = drawing.find("  0\r\nINSERT\r\n", at + 1))
        ++inserts;
    EXPECT_EQ(inserts, 2U) << "points 2 and 3, none for the skipped lines";
    EXPECT_EQ(RunBatch({"-q", "--strict", "-o", dir.File("strict.dxf"), held}, Limit(128)).status, 1);

    // A line of 300,000 vertices (some 300 MB held whole) is handed on in pieces.
    std::string vertices = "[Header]\nFormat=Rev2Ezi\n[Lines]\n";
    for (int i = 0; i < 300000; ++i)
        vertices += "LID=L;PID=" + std::to_string(i) + ";E=" + std::to_string(i) + ";N=1\n";
    EXPECT_EQ(RunBatch({"-q", "-o", out, dir.Write("long.frt", vertices)}, Limit(128)).status, 0);
    EXPECT_NE(ReadFile(out).find(" 10\r\n299999.000000\r\n"), std::string::npos);
}

// A second writer of a file written in place (another hard link: no rename) waits until the first
// has copied all of its drawing, so the file ends as one whole drawing, never a mix of two.
TEST(Faults, ASecondWriterOfAFileWrittenInPlaceWaitsForTheFirst) {
    TempDir dir;
    const std::string input = dir.Write("big.frt", LargeFrt());
    std::string drawings[2];
    for (int i = 0; i < 2; ++i) {
        const std::string reference = dir.File("ref.dxf");
        ASSERT_EQ(RunBatch({"-q", "--symbol-size", i == 0 ? "100" : "200", "-o", reference, input}).status,
                  0);
        drawings[i] = ReadFile(reference);
        fs::remove(reference);
    }
    const std::string output = dir.Write("out.dxf", "OLD");
    fs::create_hard_link(output, dir.File("link.dxf"));

    // The test holds the file as a writer would: the run may make its drawing, not copy it in.
    const int held = open(output.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    // Held longer than the run waits: it says so after a second, then gives up; the file stays.
    RunSetup told;
    told.errorFile = dir.File("said");
    const Outcome gaveUp = RunBatch({"--lock-wait", "2", "-o", output, input}, told);
    EXPECT_EQ(gaveUp.status, 1);
    EXPECT_GE(gaveUp.seconds, 2.0);
    const std::string said = ReadFile(told.errorFile);
    EXPECT_NE(said.find(output + ": waiting for another program writing it"), std::string::npos) << said;
    EXPECT_NE(said.find("another program is still writing the file"), std::string::npos) << said;
    EXPECT_TRUE(ReadFile(output) == "OLD");
    fs::remove(told.errorFile);
    const auto start = std::chrono::steady_clock::now();
    const pid_t waiting = Spawn({"-q", "-o", output, input});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(waitpid(waiting, nullptr, WNOHANG), 0) << "it went on without the file";
    EXPECT_TRUE(ReadFile(output) == "OLD");
    close(held);
    EXPECT_EQ(Wait(waiting, start).status, 0);
    EXPECT_TRUE(ReadFile(output) == drawings[0]);

    // Two real writers at once: one whole drawing or the other.
    for (int round = 0; round < 2; ++round) {
        const pid_t first = Spawn({"-q", "--symbol-size", "100", "-o", output, input});
        const pid_t second = Spawn({"-q", "--symbol-size", "200", "-o", output, input});
        EXPECT_EQ(Wait(first, start).status, 0);
        EXPECT_EQ(Wait(second, start).status, 0);
        const std::string result = ReadFile(output);
        EXPECT_TRUE(result == drawings[0] || result == drawings[1]) << "round " << round;
        EXPECT_TRUE(result == ReadFile(dir.File("link.dxf")));
    }
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"big.frt", "link.dxf", "out.dxf"}));
}

// Started with standard output and error closed, the program has them on the null device, so no
// file it opens later takes their numbers and gets a summary or warning in its drawing.
TEST(Faults, ClosedStandardStreamsAreNeverAFileOfTheRun) {
    TempDir dir;
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
    RunSetup setup;
    setup.input = pipeEnds[0];
    setup.closedOutputs = true;
    const auto start = std::chrono::steady_clock::now();
    const std::string output = dir.File("piped.dxf");
    const pid_t pid = Spawn({"-o", output, "-"}, setup);
    close(pipeEnds[0]);
    const int writer = pipeEnds[1];
    // While it waits for its input, it has spooled nothing yet and printed nothing. Until main
    // runs, the loader may briefly hold a library on those numbers, so wait for the null device.
    for (const int fd : {1, 2}) {
        const std::string link = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
        std::string target;
        for (int tries = 0; tries < 500 && target != "/dev/null"; ++tries) {
            std::error_code ec;
            target = fs::read_symlink(link, ec).string();
            if (target != "/dev/null")
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(target, "/dev/null") << "descriptor " << fd;
    }
    const std::string survey = LargeFrt().substr(0, 1 << 20);
    const std::string whole = survey.substr(0, survey.rfind('\n') + 1);
    ASSERT_EQ(write(writer, whole.data(), whole.size()), static_cast<ssize_t>(whole.size()));
    close(writer);
    EXPECT_EQ(Wait(pid, start).status, 0);
    EXPECT_TRUE(CompleteDrawing(ReadFile(output)));

    // Several at once, each printing its summary while others have files open.
    setup.input = -1;
    std::vector<std::string> args = {"-j", "2"};
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
        args.push_back(dir.Write(std::string(name) + ".frt", whole));
    EXPECT_EQ(RunBatch(args, setup).status, 0);
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
        EXPECT_TRUE(CompleteDrawing(ReadFile(dir.File(std::string(name) + ".dxf")))) << name;

    // Data for a standard output that was closed is lost, not written: that is a failure.
    const std::string a = dir.File("a.frt");
    for (const std::vector<std::string>& closedData :
         {std::vector<std::string>{"-o", "-", a}, {"--report", "-", a}, {"--preview", "-", a}})
        EXPECT_EQ(RunBatch(closedData, setup).status, 1) << closedData[0];
    const int input = open(a.c_str(), O_RDONLY | O_CLOEXEC);
    setup.input = input;
    EXPECT_EQ(RunBatch({"-"}, setup).status, 1) << "standard input's drawing goes to standard output";
    close(input);
}

namespace {

// Waits until something at `path` changes from `before` (its size or change time), or a file
// whose name starts with `prefix` appears in `folder`; false when nothing did in time.
bool WaitFor(const std::function<bool()>& happened, pid_t pid) {
    for (int round = 0; round < 600000; ++round) {
        if (happened())
            return true;
        if (waitpid(pid, nullptr, WNOHANG) != 0)
            return false;
        usleep(50);
    }
    return false;
}

bool Changed(const std::string& path, const struct stat& before) {
    struct stat now {};
    return stat(path.c_str(), &now) == 0 &&
           (now.st_size != before.st_size || now.st_ctim.tv_sec != before.st_ctim.tv_sec ||
            now.st_ctim.tv_nsec != before.st_ctim.tv_nsec);
}

// Whether the run has its temporary drawing open in the folder: unnamed until the commit (shown
// as "FOLDER/#INODE (deleted)"), or named ".big.dxf.*" where the file system needs a name.
bool TemporaryDrawingOpen(pid_t pid, const TempDir& dir) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        const std::string target = fs::read_symlink(entry.path(), ec).string();
        const std::string folder = dir.Path().string() + "/";
        if (target.rfind(folder + "#", 0) == 0 || target.rfind(folder + ".big.dxf.", 0) == 0)
            return true;
    }
    return false;
}

} // namespace

// A target with another hard link gets the drawing in place. A stop that comes just as that copy
// begins waits for it: the target then holds the whole drawing, never a mix, and the complete
// drawing it came from is not removed half way.
TEST(Faults, AStopDuringAnInPlaceCopyWaitsForIt) {
    TempDir dir;
    const std::string input = dir.Write("big.frt", LargeFrt());
    const std::string reference = dir.File("ref.dxf");
    ASSERT_EQ(RunBatch({"-q", "-o", reference, input}).status, 0);
    const std::string complete = ReadFile(reference);
    fs::remove(reference);
    const std::string output = dir.Write("big.dxf", "old drawing");
    fs::create_hard_link(output, dir.File("link.dxf"));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        // On a busy machine the signal may come only after the program has finished and ended:
        // such a round says nothing about the copy, and is run again.
        Outcome outcome;
        for (int round = 0; round < 5; ++round) {
            std::FILE* file = std::fopen(output.c_str(), "r+b"); // the same inode, old content again
            ASSERT_NE(file, nullptr);
            std::fputs("old drawing", file);
            ASSERT_EQ(ftruncate(fileno(file), 11), 0);
            std::fclose(file);
            struct stat before {};
            stat(output.c_str(), &before);
            const auto start = std::chrono::steady_clock::now();
            const pid_t pid = Spawn({"-q", "-j", "1", input});
            const bool caught = WaitFor([&] { return Changed(output, before); }, pid);
            kill(pid, signal);
            outcome = Wait(pid, start);
            EXPECT_TRUE(caught) << "the copy was not seen to begin";
            EXPECT_TRUE(ReadFile(output) == complete) << "the whole drawing, not part of it";
            EXPECT_EQ(ReadFile(dir.File("link.dxf")), ReadFile(output));
            EXPECT_EQ(dir.Names(), (std::vector<std::string>{"big.dxf", "big.frt", "link.dxf"}));
            if (outcome.status != 0)
                break;
        }
        EXPECT_EQ(outcome.status, -signal) << "stopped, after the copy";
    }
}

// An input rewritten while its drawing is written, in place with the same length or by a rename
// as editors save, gives no drawing of two versions: the run fails and writes nothing.
TEST(Faults, AnInputChangedBetweenThePassesIsNoticed) {
    TempDir dir;
    const std::string original = LargeFrt();
    std::string edited = original;
    for (std::size_t at = edited.find(";E=26000"); at != std::string::npos;
         at = edited.find(";E=26000", at + 1))
        edited[at + 7] = '1'; // every easting changed, nothing else
    ASSERT_EQ(edited.size(), original.size());
    for (const char* threads : {"1", "2"}) {
        for (const bool byRename : {false, true}) {
            SCOPED_TRACE(std::string("threads ") + threads + (byRename ? ", by rename" : ", in place"));
            const std::string input = dir.File("big.frt");
            RunSetup setup;
            setup.errorFile = dir.File("err.txt");
            // On a busy machine the change may land only after the program has read the file for
            // the last time: it then rightly converts the original. Such a round says nothing
            // about the check and is run again.
            Outcome outcome;
            for (int round = 0; round < 5; ++round) {
                fs::remove(dir.File("big.dxf"));
                dir.Write("big.frt", original);
                const auto start = std::chrono::steady_clock::now();
                const pid_t pid = Spawn({"-q", "-j", threads, input}, setup);
                // The temporary drawing is made when the second pass begins.
                ASSERT_TRUE(WaitFor([&] { return TemporaryDrawingOpen(pid, dir); }, pid));
                if (byRename) {
                    const std::string next = dir.Write("next.frt", edited);
                    fs::rename(next, input);
                } else {
                    std::FILE* file = std::fopen(input.c_str(), "r+b");
                    ASSERT_NE(file, nullptr);
                    std::fwrite(edited.data(), 1, edited.size(), file);
                    std::fclose(file);
                }
                outcome = Wait(pid, start);
                if (outcome.status != 0)
                    break;
            }
            EXPECT_EQ(outcome.status, 1);
            EXPECT_NE(ReadFile(setup.errorFile)
                          .find(input + ": was changed while it was converted; nothing was written"),
                      std::string::npos)
                << ReadFile(setup.errorFile);
            EXPECT_EQ(dir.Names(), (std::vector<std::string>{"big.frt", "err.txt"}));
        }
    }
}
