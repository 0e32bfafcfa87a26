#include "dxf/DxfNames.h"

#include "common/Letters.h"
#include "common/Utf8.h"

#include <cstdint>

namespace dxfnames {

namespace {

bool AsciiAllowed(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '$' ||
           c == '_' || c == '-';
}

void AppendCharacter(std::string& out, std::uint32_t character, const Spelling& spelling) {
    if (character < 0x80) {
        out += AsciiAllowed(static_cast<unsigned char>(character)) ? static_cast<char>(character) : '_';
        return;
    }
    if (spelling.asciiOnly) {
        const std::string_view latin = letters::Ascii(character);
        out += latin.empty() ? std::string_view("_") : latin;
        return;
    }
    const unsigned char byte = letters::IsLetter(character) ? codepage::ByteOf(character, *spelling.page) : 0;
    out += byte != 0 ? static_cast<char>(byte) : '_';
}

// FNV-1a: small, and the same on every platform.
std::uint32_t Hash(std::string_view text) {
    std::uint32_t hash = 2166136261U;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619U;
    }
    return hash;
}

} // namespace

std::string Written(std::string_view given, const Spelling& spelling) {
    std::string out;
    out.reserve(given.size());
    for (std::size_t at = 0; at < given.size();) {
        const auto byte = static_cast<unsigned char>(given[at]);
        if (byte >= 0x80 && spelling.utf8) {
            const std::size_t length = utf8::SequenceLength(given.substr(at));
            if (length == 0) {
                out += '_';
                ++at;
                continue;
            }
            AppendCharacter(out, codepage::CodePoint(given.substr(at), length), spelling);
            at += length;
            continue;
        }
        const std::uint32_t character = codepage::Character(byte, *spelling.page);
        if (character == 0)
            out += '_';
        else
            AppendCharacter(out, character, spelling);
        ++at;
    }
    if (out.size() > kMaxName) {
        static const char kHex[] = "0123456789ABCDEF";
        const std::uint32_t hash = Hash(Folded(out, *spelling.page));
        out.resize(kMaxName - 7);
        out += '_';
        for (int shift = 20; shift >= 0; shift -= 4)
            out += kHex[(hash >> static_cast<unsigned>(shift)) & 15U];
    }
    return out;
}

std::string Folded(std::string_view written, const codepage::Page& page) {
    std::string folded;
    folded.reserve(written.size());
    for (const char c : written) {
        const std::uint32_t character = codepage::Character(static_cast<unsigned char>(c), page);
        utf8::Append(folded, letters::FoldCase(character));
    }
    return folded;
}

bool Follows(std::string_view written, const codepage::Page& page) {
    if (written.empty() || written.size() > kMaxName)
        return false;
    for (const char c : written) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 ? !AsciiAllowed(byte) : !letters::IsLetter(codepage::Character(byte, page)))
            return false;
    }
    return true;
}

} // namespace dxfnames
