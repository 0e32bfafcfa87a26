#pragma once

#include "common/CodePage.h"
#include "common/Failure.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

struct DxfWriteSettings {
    double symbolScale = 0.0;    // $LTSCALE and $PDSIZE; $TEXTSIZE is twice this
    std::uint8_t pointMode = 0;  // $PDMODE
    std::uint8_t decimals = 6;   // digits after the point of every real written
    bool replaceExisting = true; // false: an existing file is kept and the write fails
    bool inputIsUtf8 = false;    // the texts from the input are UTF-8 (TextStream::SetInputIsUtf8)
    bool sync = true;            // the drawing reaches the disk before it is put in place
    // Declared as "$DWGCODEPAGE", and the page UTF-8 texts are written in; null: none declared,
    // so readers take Windows-1252.
    const codepage::Page* codePage = nullptr;
    // Asked right before the drawing replaces the target; a text fails the write with it.
    std::function<std::string()> beforeCommit;
    // How long a copy in place waits for another writer of the target (filesys::LockWait).
    std::function<bool(std::chrono::milliseconds)> lockWait;
};

// How a write went: ok, or why not, and what became of the target then.
struct DxfWriteResult {
    Failure failure;
    std::uint64_t bytes = 0; // of the drawing, when it was written

    [[nodiscard]] bool Ok() const { return !failure; }
};
