#include "common/FileSystem.h"

#include <array>
#include <cstring>
#include <memory>
#include <system_error>

namespace filesys {

namespace {

class FileErrorCategory : public std::error_category {
public:
    [[nodiscard]] const char* name() const noexcept override { return "file"; }
    [[nodiscard]] std::string message(int error) const override {
        switch (static_cast<FileError>(error)) {
        case FileError::NotRegular:
            return "not a regular file";
        case FileError::TooLarge:
            return "too large to be a settings file";
        case FileError::Refused:
            return "refused before the copy";
        case FileError::StillLocked:
            return "another program is still writing the file (it holds its lock); nothing was written";
        case FileError::WrittenMeanwhile:
            return "another program wrote into the file while the drawing was copied into it";
        }
        return "unknown file error";
    }
};

} // namespace

std::error_code make_error_code(FileError error) {
    static const FileErrorCategory category;
    return {static_cast<int>(error), category};
}

std::size_t WriteToFile(std::FILE* file, const void* data, std::size_t size) {
    return std::fwrite(data, 1, size, file);
}

long ReadFromFile(std::FILE* file, void* buffer, std::size_t size) {
    const std::size_t got = std::fread(buffer, 1, size, file);
    if (got == 0 && std::ferror(file) != 0)
        return -1; // errno was set by the read that failed
    return static_cast<long>(got);
}

std::string ResolveLinks(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path current = fs::absolute(PathOf(path), ec);
    if (ec)
        current = PathOf(path);
    // As many links as the system itself follows before it gives up with a loop.
    for (int hop = 0; hop < 40; ++hop) {
        // The folders first: they exist or the write fails anyway.
        const fs::path folder = fs::weakly_canonical(current.parent_path(), ec);
        if (!ec)
            current = folder / current.filename();
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            break;
        const fs::path next = fs::read_symlink(current, ec);
        if (ec)
            break;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return TextOf(current.lexically_normal());
}

bool IsStandardStreamFile(const std::string& path, StandardStream stream) {
    const FileState streamState = StateOf(stream);
    if (!streamState.exists)
        return false;
    const FileState file = StateOf(path);
    return file.exists && file.device == streamState.device && file.inode == streamState.inode;
}

bool SameContent(const std::string& a, const std::string& b) {
    ErrorOr<FilePtr> first = OpenFile(a, "rb");
    ErrorOr<FilePtr> second = OpenFile(b, "rb");
    if (!first || !second)
        return false;
    static constexpr std::size_t kBlock = 1 << 16;
    auto blocks = std::make_unique<std::array<char, 2 * kBlock>>();
    char* x = blocks->data();
    char* y = x + kBlock;
    for (;;) {
        const std::size_t got = std::fread(x, 1, kBlock, first->get());
        if (std::fread(y, 1, kBlock, second->get()) != got || std::memcmp(x, y, got) != 0)
            return false;
        if (got < kBlock)
            return std::ferror(first->get()) == 0 && std::ferror(second->get()) == 0 &&
                   std::fgetc(second->get()) == EOF;
    }
}

bool ModifiedAfter(const FileState& file, const FileState& than) {
    const std::int64_t second = TicksPerSecond();
    const bool coarse = file.modified % second == 0 || than.modified % second == 0;
    return file.modified > than.modified + (coarse ? 2 * second : 0);
}

std::string FreeNameBeside(const std::string& path, int from) {
    const std::filesystem::path given = PathOf(path);
    const std::string stem = TextOf(given.parent_path() / given.stem());
    const std::string extension = TextOf(given.extension());
    for (int n = from;; ++n) {
        std::string candidate = path;
        if (n >= 2)
            candidate.assign(stem).append(" (").append(std::to_string(n)).append(")").append(extension);
        if (!StateOf(candidate, false).exists)
            return candidate;
    }
}

} // namespace filesys
