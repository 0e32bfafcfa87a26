#include "common/PendingFiles.h"
#include "common/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Creates the file the way the temporary drawings are created, and leaves it open.
std::FILE* Create(const std::string& path) {
    ErrorOr<filesys::FilePtr> file = filesys::CreateNew(path);
    return file ? file->release() : nullptr;
}

} // namespace

TEST(PendingFiles, RemovesWhatIsRegisteredAndLeavesWhatIsNot) {
    TempDir dir;
    // Made and settled, and still being written.
    const std::string open = dir.File("open.tmp");
    const int openSlot = pendingfiles::Reserve(open.c_str());
    std::FILE* openFile = Create(open);
    ASSERT_NE(openFile, nullptr);
    pendingfiles::Settle(openSlot, true);

    // Someone else's file of the same name: the creation failed, so it is not ours to remove.
    const std::string foreign = dir.Write("foreign.tmp", "not ours");
    const int foreignSlot = pendingfiles::Reserve(foreign.c_str());
    EXPECT_EQ(Create(foreign), nullptr);
    pendingfiles::Settle(foreignSlot, false);

    // Kept by its owner (a drawing that is the only complete copy).
    const std::string kept = dir.Write("kept.tmp", "kept");
    const int keptSlot = pendingfiles::Reserve(kept.c_str());
    pendingfiles::Settle(keptSlot, true);
    pendingfiles::Drop(keptSlot);

    // Interrupted on its own thread just after the file was made, before it was settled (a
    // thread creates one file at a time).
    const std::string midway = dir.File("midway.tmp");
    const int midwaySlot = pendingfiles::Reserve(midway.c_str());
    std::FILE* midwayFile = Create(midway);
    ASSERT_NE(midwayFile, nullptr);

    ASSERT_GE(midwaySlot, 0);
    ASSERT_GE(openSlot, 0);
    pendingfiles::RemoveAll();
    // Removing an open file works on every platform: on Windows it goes when it is closed.
    std::fclose(midwayFile);
    std::fclose(openFile);
    pendingfiles::Settle(midwaySlot, false);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"foreign.tmp", "kept.tmp"}));
}

TEST(PendingFiles, WaitsForACreationInProgressOnAnotherThread) {
    TempDir dir;
    const std::string path = dir.File("late.tmp");
    std::atomic<bool> reserved{false};
    std::thread creator([&] {
        const int slot = pendingfiles::Reserve(path.c_str());
        reserved = true;
        // A slow disk: the file appears after the removal has begun.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::FILE* file = Create(path);
        pendingfiles::Settle(slot, file != nullptr);
        if (file != nullptr)
            std::fclose(file);
    });
    while (!reserved)
        std::this_thread::yield();
    pendingfiles::RemoveAll();
    creator.join();
    EXPECT_FALSE(fs::exists(path));
}
