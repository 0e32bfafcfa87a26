#include "common/AtomicFile.h"
#include "tests/support/ScopedSystemCalls.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Writes that stop short after a given number of bytes with the error: a disk that fills up
// (ENOSPC, and every write after), or a signal (EINTR, once).
class ShortWrites {
public:
    ShortWrites(std::size_t room, int error) : m_swapped(Faulty(room, error)) {}

private:
    static filesys::SystemCalls Faulty(std::size_t room, int error) {
        s_room = room;
        s_error = error;
        filesys::SystemCalls calls = filesys::Calls();
        calls.write = [](std::FILE* file, const void* data, std::size_t size, std::size_t& done) {
            const std::size_t n = std::min(size, s_room);
            s_room -= n;
            std::error_code error = filesys::WriteToFile(file, data, n, done);
            if (n < size) {
                error.assign(s_error, std::generic_category());
                if (s_error == EINTR)
                    s_room = static_cast<std::size_t>(-1);
            }
            return error;
        };
        return calls;
    }

    static inline std::size_t s_room = 0;
    static inline int s_error = 0;
    ScopedSystemCalls m_swapped;
};

// A few megabytes, in lines as a drawing has them.
const std::string& BigContent() {
    static const std::string content = [] {
        std::string text;
        for (int i = 0; i < 50000; ++i)
            text += "  0\r\nPOINT\r\n  8\r\nP\r\n 10\r\n" + std::to_string(i) + ".000000\r\n";
        return text;
    }();
    return content;
}

// Opens, writes the content in the pieces a writer's buffer hands over, and commits: the failure.
Failure Place(AtomicFile& file, const std::string& content = BigContent()) {
    constexpr std::size_t kPiece = 1 << 16;
    bool ok = file.Open();
    for (std::size_t at = 0; ok && at < content.size(); at += kPiece)
        ok = file.Write(content.data() + at, std::min(kPiece, content.size() - at));
    if (ok)
        (void)file.Commit();
    return file.Error();
}

Failure Place(const std::string& path, const std::string& content = BigContent()) {
    AtomicFile file(path);
    return Place(file, content);
}

} // namespace

TEST(AtomicFile, ReplacesTheTargetWholeAndKeepsItsPermissions) {
    TempDir dir;
    const std::string target = dir.Write("site.frt", "[Header]\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const Failure result = Place(target);
    ASSERT_FALSE(result) << result.Reason();
    EXPECT_EQ(ReadFile(target), BigContent());
#ifndef _WIN32 // Windows keeps attributes and ACLs instead, through ReplaceFileW
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));
}

// Told to keep an existing file, the writer refuses one that is there at the start, and one that
// appeared while it wrote: the file made meanwhile stays as it is, and no temporary file is left.
TEST(AtomicFile, KeepingAnExistingFileAlsoKeepsOneMadeMeanwhile) {
    TempDir dir;
    const std::string there = dir.Write("there.dxf", "someone else's");
    AtomicFile refused(there, AtomicFile::Existing::Keep);
    EXPECT_FALSE(refused.Open());
    EXPECT_TRUE(refused.Error().Is(std::errc::file_exists));

    const std::string later = dir.File("later.dxf");
    AtomicFile file(later, AtomicFile::Existing::Keep);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("drawing", 7));
    dir.Write("later.dxf", "made meanwhile");
    EXPECT_FALSE(file.Commit());
    EXPECT_TRUE(file.Error().Is(std::errc::file_exists));
    EXPECT_EQ(ReadFile(later), "made meanwhile");

    const std::string fresh = dir.File("fresh.dxf");
    AtomicFile written(fresh, AtomicFile::Existing::Keep);
    ASSERT_TRUE(written.Open());
    ASSERT_TRUE(written.Write("drawing", 7));
    ASSERT_TRUE(written.Commit()) << written.Error().Reason();
    EXPECT_EQ(ReadFile(fresh), "drawing");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"fresh.dxf", "later.dxf", "there.dxf"}));
}

#ifndef _WIN32 // POSIX links
TEST(AtomicFile, WritesThroughASymbolicLink) {
    TempDir dir;
    const std::string real = dir.Write("real.frt", "old");
    const std::string link = dir.File("link.frt");
    fs::create_symlink(real, link);
    ASSERT_FALSE(Place(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "new");
}
#endif

#ifndef _WIN32
namespace {

// The calls that make a write durable, in the order they came.
std::vector<std::string> g_calls;

filesys::SystemCalls Recording() {
    filesys::SystemCalls calls = filesys::Calls();
    calls.syncFile = [](filesys::NativeFile file) {
        g_calls.emplace_back("sync");
        return Real().syncFile(file);
    };
    calls.syncFolder = [](const char* path) {
        g_calls.push_back(std::string("folder ") + fs::path(path).filename().string());
        return std::error_code();
    };
    calls.replace = [](const char* from, const char* to) {
        g_calls.emplace_back("rename");
        return Real().replace(from, to);
    };
    return calls;
}

} // namespace

// A power cut right after a write must find the whole new drawing or the old file: the data reach
// the disk before the rename, and the folder's entry after it; a copy in place flushes the
// target before it lets go of it. Scratch output may skip both.
TEST(AtomicFile, EveryDrawingReachesTheDiskBeforeItReplacesAnything) {
    TempDir dir;
    const ScopedSystemCalls swapped(Recording());
    const std::string folder = dir.Path().filename().string();
    const std::string target = dir.Write("site.dxf", "old");
    g_calls.clear();
    ASSERT_FALSE(Place(target));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"sync", "rename", "folder " + folder}));

    // A drawing of its own, kept or scratch.
    const auto writeAlone = [](const std::string& path, bool sync) {
        AtomicFile file(path);
        if (!sync)
            file.SkipSync();
        return Place(file);
    };
    const std::string fresh = dir.File("new.dxf");
    g_calls.clear();
    ASSERT_FALSE(writeAlone(fresh, true));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"sync", "rename", "folder " + folder}));

    // Two links: the content goes over the target in place, and the target is flushed.
    fs::create_hard_link(target, dir.File("link.dxf"));
    g_calls.clear();
    ASSERT_FALSE(Place(target));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"sync"}));
    EXPECT_EQ(ReadFile(dir.File("link.dxf")), BigContent());

    g_calls.clear();
    ASSERT_FALSE(writeAlone(fresh, false));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"rename"}));
    g_calls.clear();
    ASSERT_FALSE(writeAlone(target, false));
    EXPECT_TRUE(g_calls.empty());
}

// Another program that takes no lock writes into the target while the drawing is copied into
// it in place: the copy is read back, the mix is said, and the complete drawing is kept.
TEST(AtomicFile, AWriterThatTakesNoLockDuringACopyInPlaceIsNoticed) {
    TempDir dir;
    static std::string target;
    target = dir.Write("site.frt", "the survey");
    fs::create_hard_link(target, dir.File("link.frt"));
    filesys::SystemCalls meddling = filesys::Calls();
    meddling.syncFile = [](filesys::NativeFile file) {
        // The other program's write lands right after the copy, before it is read back.
        if (FILE* other = std::fopen(target.c_str(), "r+b")) {
            std::fputs("NEW SURVEY", other);
            std::fclose(other);
        }
        return Real().syncFile(file);
    };
    const ScopedSystemCalls swapped(meddling);
    const Failure result = Place(target);
    EXPECT_TRUE(result);
    EXPECT_TRUE(result.damaged);
    EXPECT_TRUE(result.writtenMeanwhile);
    EXPECT_EQ(result.path, target);
    EXPECT_EQ(result.Reason({"", "", "", "kept in %1"}),
              "another program wrote into the file while the drawing was copied into it; kept in " +
                  result.keptPath);
    EXPECT_EQ(ReadFile(result.keptPath), BigContent()) << "the complete drawing is kept";
    fs::remove(result.keptPath);
}
#endif

#ifndef _WIN32
// A name of up to 255 bytes can be written: the temporary name beside it is cut to fit, between
// two characters, and goes when the drawing is in place. (Windows limits the whole path to
// MAX_PATH first, so there a 255-byte name fails on its own.)
TEST(AtomicFile, TheLongestNameAFileSystemTakesCanBeWritten) {
    TempDir dir;
    std::string umlauts;
    for (int i = 0; i < 122; ++i)
        umlauts += "\xC3\xA4"; // 244 bytes
    for (const std::string& name :
         {std::string(251, 'n') + ".dxf", umlauts + ".dxf", std::string(255, 'x')}) {
        const std::string target = dir.File(name);
        const Failure written = Place(target);
        EXPECT_FALSE(written) << name.size() << ": " << written.Reason();
        EXPECT_EQ(ReadFile(target), BigContent());
        fs::create_hard_link(target, dir.File("link"));
        EXPECT_FALSE(Place(target)) << "in place, " << name.size();
        fs::remove(dir.File("link"));
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{name}));
        fs::remove(target);
    }
}
#endif

TEST(AtomicFile, FailuresLeaveTheTargetAsItWasAndSayWhy) {
    TempDir dir;

    const Failure missing = Place(dir.File("no/such/dir/out.dxf"));
    EXPECT_TRUE(missing);
    EXPECT_EQ(missing.Reason(), std::strerror(ENOENT));

    const std::string target = dir.Write("site.frt", "original content");
    Failure noSpace;
    {
        const ShortWrites full(100000, ENOSPC);
        noSpace = Place(target);
    }
    EXPECT_TRUE(noSpace.Is(std::errc::no_space_on_device));
    EXPECT_EQ(noSpace.path, target);
    EXPECT_EQ(ReadFile(target), "original content");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));

    // A signal that cuts a write short loses nothing: the rest is written after it.
    const std::string interruptedTarget = dir.Write("interrupted.dxf", "old");
    {
        const ShortWrites interrupted(100000, EINTR);
        ASSERT_FALSE(Place(interruptedTarget));
    }
    EXPECT_EQ(ReadFile(interruptedTarget), BigContent());
    fs::remove(interruptedTarget);

#ifndef _WIN32
    // A drawing that cannot be given its permissions would stay readable by its owner alone.
    filesys::SystemCalls refusing = filesys::Calls();
    refusing.setMode = [](const char* /*path*/, unsigned /*mode*/) {
        return std::make_error_code(std::errc::operation_not_permitted);
    };
    {
        const ScopedSystemCalls swapped(refusing);
        const Failure unreadable = Place(target);
        EXPECT_TRUE(unreadable);
        EXPECT_EQ(unreadable.Reason(),
                  std::string("the drawing could not be given its permissions: ") + std::strerror(EPERM));
    }
    EXPECT_EQ(ReadFile(target), "original content");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));

    // The last step, the rename over the target, refused.
    filesys::SystemCalls busy = filesys::Calls();
    busy.replace = [](const char* /*from*/, const char* /*to*/) {
        return std::make_error_code(std::errc::device_or_resource_busy);
    };
    {
        const ScopedSystemCalls swapped(busy);
        const Failure refused = Place(target);
        EXPECT_TRUE(refused);
        EXPECT_EQ(refused.Reason(), std::strerror(EBUSY));
    }
    EXPECT_EQ(ReadFile(target), "original content");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"})) << "the temporary drawing goes";

    // The disk cannot take the drawing's data (EIO when it is flushed): nothing is replaced.
    filesys::SystemCalls failing = filesys::Calls();
    failing.syncFile = [](filesys::NativeFile /*file*/) { return std::make_error_code(std::errc::io_error); };
    {
        const ScopedSystemCalls swapped(failing);
        const Failure unsynced = Place(target);
        EXPECT_TRUE(unsynced);
        EXPECT_EQ(unsynced.Reason(), std::strerror(EIO));
    }
    EXPECT_EQ(ReadFile(target), "original content");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));
#endif

    const Failure directory = Place(dir.Path().string());
    EXPECT_EQ(directory.stage, Failure::Stage::Write);
    EXPECT_EQ(directory.path, dir.Path().string());
}

namespace {

// The step that fails, on its how-manieth call (0: on every call), and the error it gives; or,
// with no error, what another program does right before that step.
struct Fault {
    std::string step;
    int call = 0;
    std::errc error{};
    void (*meddle)() = nullptr;
};
Fault g_fault;
int g_stepCalls = 0;
bool g_hit = false;

std::error_code Inject(const char* step) {
    if (g_fault.step != step || (g_fault.call != 0 && ++g_stepCalls != g_fault.call))
        return {};
    g_hit = true;
    if (g_fault.meddle != nullptr)
        g_fault.meddle();
    return g_fault.error == std::errc{} ? std::error_code() : std::make_error_code(g_fault.error);
}

const char* OpenStep(filesys::Access access) {
    switch (access) {
    case filesys::Access::Read:
    case filesys::Access::Peek:
        return "open source";
    case filesys::Access::Update:
    case filesys::Access::Write:
        return "open target";
    default:
        return "create";
    }
}

// The table's real call, unless it is the fault's step.
template <typename Entry> struct Failing;
template <typename... Args> struct Failing<std::error_code (*)(Args...)> {
    template <std::error_code (*filesys::SystemCalls::*entry)(Args...), const char* step>
    static std::error_code Call(Args... args) {
        const std::error_code error = Inject(step);
        return error ? error : (Real().*entry)(args...);
    }
};
template <auto entry, const char* step> void FailAt(filesys::SystemCalls& calls) {
    calls.*entry = &Failing<std::remove_reference_t<decltype(calls.*entry)>>::template Call<entry, step>;
}
constexpr char kSync[] = "sync", kName[] = "name", kReplace[] = "replace", kSyncFolder[] = "sync folder",
               kLock[] = "lock", kReserve[] = "reserve", kRead[] = "read", kWrite[] = "write",
               kResize[] = "resize";

// The real calls, each of which fails when it is the fault's step.
filesys::SystemCalls FailingStep() {
    using S = filesys::SystemCalls;
    filesys::SystemCalls calls = Real();
    calls.open = [](const char* path, filesys::Access access, filesys::NativeFile& file) {
        const std::error_code error = Inject(OpenStep(access));
        return error ? error : Real().open(path, access, file);
    };
    FailAt<&S::syncFile, kSync>(calls);
    FailAt<&S::name, kName>(calls);
    FailAt<&S::replace, kReplace>(calls);
    FailAt<&S::syncFolder, kSyncFolder>(calls);
    FailAt<&S::lock, kLock>(calls);
    FailAt<&S::reserve, kReserve>(calls);
    FailAt<&S::readAt, kRead>(calls);
    FailAt<&S::writeAt, kWrite>(calls);
    FailAt<&S::resize, kResize>(calls);
    calls.close = [](filesys::NativeFile file) {
        // Closed all the same, as a close that reports an error does.
        const std::error_code closed = Real().close(file);
        const std::error_code error = Inject("close");
        return error ? error : closed;
    };
    return calls;
}

} // namespace

// Each step of putting a drawing in place fails in turn, by a rename (a target with one name) and
// by a copy in place (two names). What the target holds after it, what is kept and what is left
// over are the point: the old content, the new one, or the old target damaged and the complete
// drawing kept. A signal (EINTR) ends no step.
TEST(AtomicFile, EveryStepOfPuttingTheDrawingInPlaceCanFail) {
    enum class After { Old, New, NewUnflushed, Kept };
    struct Case {
        Fault fault;
        bool inPlace;
        After after;
    };
    using std::errc;
    const std::vector<Case> cases = {
        // A folder that takes no new file: the drawing is made in the temporary folder and
        // copied over the writable target.
        {{"create", 1, errc::read_only_file_system}, false, After::New},
        {{"create", 1, errc::permission_denied}, false, After::New},
        {{"create", 0, errc::no_space_on_device}, false, After::Old},
        {{"sync", 1, errc::no_space_on_device}, false, After::Old},
        {{"replace", 1, errc::permission_denied}, false, After::Old},
        {{"replace", 1, errc::read_only_file_system}, false, After::Old},
        {{"replace", 1, errc::io_error}, false, After::Old},
#ifndef _WIN32 // unnamed files and folders flushed by hand are Linux's
        {{"name", 1, errc::io_error}, false, After::Old},
        {{"sync folder", 1, errc::io_error}, false, After::NewUnflushed},
        {{"sync folder", 1, errc::no_space_on_device}, false, After::NewUnflushed},
#endif
        // A target that may only be written is copied into unchecked.
        {{"open target", 1, errc::permission_denied}, true, After::New},
        {{"open target", 0, errc::read_only_file_system}, true, After::Old},
        {{"open source", 1, errc::io_error}, true, After::Old},
        {{"lock", 1, errc::interrupted}, true, After::New},
        {{"lock", 1, errc::io_error}, true, After::Old},
        {{"reserve", 1, errc::no_space_on_device}, true, After::Old},
        {{"read", 1, errc::io_error}, true, After::Old},
        {{"read", 2, errc::interrupted}, true, After::New},
        {{"write", 1, errc::no_space_on_device}, true, After::Old},
        {{"write", 2, errc::interrupted}, true, After::New},
        {{"write", 2, errc::io_error}, true, After::Kept},
        {{"resize", 1, errc::io_error}, true, After::Kept},
        {{"sync", 1, errc::no_space_on_device}, true, After::Kept},
        {{"close", 1, errc::io_error}, true, After::Kept},
    };
    const std::string& drawing = BigContent();
    for (const Case& c : cases) {
        const std::string label = c.fault.step + " " + std::make_error_code(c.fault.error).message() +
                                  (c.inPlace ? " (in place)" : "");
        TempDir dir;
        const std::string target = dir.Write("site.dxf", "old survey");
        std::vector<std::string> names = {"site.dxf"};
        if (c.inPlace) {
            fs::create_hard_link(target, dir.File("link.dxf"));
            names.insert(names.begin(), "link.dxf");
        }
        g_fault = c.fault;
        g_stepCalls = 0;
        g_hit = false;
        Failure result;
        {
            const ScopedSystemCalls swapped(FailingStep());
            result = Place(target);
        }
        EXPECT_TRUE(g_hit) << label << ": the step was never taken";
        const bool fails = c.after != After::New;
        ASSERT_EQ(static_cast<bool>(result), fails) << label << ": " << result.Reason();
        if (fails) {
            EXPECT_TRUE(result.Is(c.fault.error)) << label << ": " << result.Reason();
        }
        EXPECT_EQ(result.damaged, c.after == After::Kept) << label;
        const bool old = c.after == After::Old;
        EXPECT_EQ(ReadFile(target) == "old survey", old) << label;
        if (c.after == After::New || c.after == After::NewUnflushed) {
            EXPECT_EQ(ReadFile(target), drawing) << label;
        }
        if (c.after == After::Kept) {
            EXPECT_EQ(ReadFile(result.keptPath), drawing) << label << ": the complete drawing is kept";
            names.push_back(fs::path(result.keptPath).filename().string());
            std::sort(names.begin(), names.end());
        }
        if (c.inPlace) {
            EXPECT_EQ(ReadFile(dir.File("link.dxf")), ReadFile(target)) << label << ": still one file";
        }
        EXPECT_EQ(dir.Names(), names) << label << ": nothing else is left";
    }

#ifndef _WIN32
    // The link to the target is turned to another file while the drawing is written: neither file
    // gets it.
    TempDir dir;
    static std::string link;
    link = dir.File("site.dxf");
    dir.Write("a.dxf", "old a");
    dir.Write("b.dxf", "old b");
    fs::create_symlink("a.dxf", link);
    g_fault = {"sync", 1, std::errc{}, [] {
                   fs::remove(link);
                   fs::create_symlink("b.dxf", link);
               }};
    g_hit = false;
    g_stepCalls = 0;
    const ScopedSystemCalls swapped(FailingStep());
    const Failure moved = Place(link);
    EXPECT_TRUE(g_hit);
    EXPECT_EQ(moved.Reason(), "now leads to another file (a link was changed)");
    EXPECT_EQ(ReadFile(dir.File("a.dxf")), "old a");
    EXPECT_EQ(ReadFile(dir.File("b.dxf")), "old b");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.dxf", "b.dxf", "site.dxf"}));
#endif
}

#ifndef _WIN32 // POSIX owners, links, ACLs and devices
namespace {

struct stat StatOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info;
}

int Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

} // namespace

// A rename would make a new file: another inode, the writer's owner, no ACL. Where that would
// change what the target is, the drawing goes into the target in place.
TEST(AtomicFile, ATargetKeepsItsLinksOwnerAndAclsAndNoTemporaryFileStays) {
    TempDir dir;
    const std::string& expected = BigContent();

    const std::string linked = dir.Write("linked.frt", "old");
    fs::create_hard_link(linked, dir.File("other-name.frt"));
    const ino_t inode = StatOf(linked).st_ino;
    ASSERT_FALSE(Place(linked));
    EXPECT_EQ(StatOf(linked).st_ino, inode);
    EXPECT_EQ(ReadFile(dir.File("other-name.frt")), expected) << "both names show the drawing";

    if (geteuid() == 0) {
        const std::string foreign = dir.Write("foreign.frt", "old");
        ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
        ASSERT_FALSE(Place(foreign));
        EXPECT_EQ(StatOf(foreign).st_uid, 65534U) << "another user's file stays theirs";
        EXPECT_EQ(StatOf(foreign).st_gid, 65534U);
        EXPECT_EQ(ReadFile(foreign), expected);
    }

    const std::string shared = dir.Write("shared.frt", "old");
    if (Shell("setfacl -m u:65534:rw " + shared) == 0) {
        ASSERT_FALSE(Place(shared));
        EXPECT_EQ(Shell("getfacl -c " + shared + " | grep -q '^user:nobody:rw-'"), 0) << "the ACL stays";
        EXPECT_EQ(ReadFile(shared), expected);
    }

    // An ordinary file is replaced by a rename, as before.
    const std::string plain = dir.Write("plain.frt", "old");
    ASSERT_FALSE(Place(plain));
    EXPECT_EQ(ReadFile(plain), expected);
    std::vector<std::string> names = {"linked.frt", "other-name.frt", "plain.frt", "shared.frt"};
    if (geteuid() == 0)
        names.insert(names.begin(), "foreign.frt");
    EXPECT_EQ(dir.Names(), names) << "no temporary file is left";
}

TEST(AtomicFile, FullDiskThroughDevFull) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    // Writing in place to a device is refused up front or fails on flush; either way it is reported.
    const Failure result = Place("/dev/full");
    EXPECT_EQ(result.path, "/dev/full");
    EXPECT_TRUE(result.Is(std::errc::no_space_on_device)) << result.Reason();
}
#endif
