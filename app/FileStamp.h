#pragma once

#include "common/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

// What a file looked like at one moment, enough to notice that it was rewritten since.
struct FileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    std::string error; // the system's text when the file could not be looked at

    static FileStamp Of(const std::string& path) {
        FileStamp stamp;
        std::error_code ec;
        stamp.size = std::filesystem::file_size(filesys::PathOf(path), ec);
        if (!ec)
            stamp.modified = std::filesystem::last_write_time(filesys::PathOf(path), ec);
        stamp.exists = !ec;
        if (ec)
            stamp.error = ec.message();
        return stamp;
    }

    bool SameAs(const FileStamp& other) const {
        return exists == other.exists && size == other.size && modified == other.modified;
    }
};
