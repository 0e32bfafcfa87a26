#include "common/FileSystem.h"

#include <system_error>

namespace filesys {

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

} // namespace filesys
