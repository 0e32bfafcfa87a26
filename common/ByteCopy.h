#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Copies of the short texts a drawing is made of: a group code, a number, a short name. Fixed-size
// moves, overlapping where needed, cost less than a call to memcpy, which the Windows C runtime
// does not inline.
namespace bytecopy {

// Sixteen bytes moved as one.
struct Block16 {
    char bytes[16];
};

// Copies 1 to 2 x sizeof(Word) bytes as two possibly overlapping words.
template <typename Word> void CopyWords(char* out, const char* in, std::size_t size) {
    Word head{};
    Word tail{};
    std::memcpy(&head, in, sizeof head);
    std::memcpy(&tail, in + size - sizeof tail, sizeof tail);
    std::memcpy(out, &head, sizeof head);
    std::memcpy(out + size - sizeof tail, &tail, sizeof tail);
}

inline void Copy(char* out, const char* in, std::size_t size) {
    if (size > 32) {
        std::memcpy(out, in, size);
    } else if (size > 16) {
        CopyWords<Block16>(out, in, size);
    } else if (size >= 8) {
        CopyWords<std::uint64_t>(out, in, size);
    } else if (size >= 4) {
        CopyWords<std::uint32_t>(out, in, size);
    } else if (size > 0) {
        out[0] = in[0];
        out[size / 2] = in[size / 2];
        out[size - 1] = in[size - 1];
    }
}

} // namespace bytecopy
