#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Texts between the program and the Windows API. Paths, messages and the language file's texts
// are UTF-8 inside the program; layer names are 8-bit texts in the system code page, as the
// drawing holds them.
namespace wintext {

inline std::wstring Wide(const std::string& text, UINT codePage) {
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

inline std::string Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                        nullptr);
    return narrow;
}

// A program text (UTF-8) and a system code page text, for the API.
inline std::wstring FromUtf8(const std::string& text) {
    return Wide(text, CP_UTF8);
}
inline std::wstring FromLocal(const std::string& text) {
    return Wide(text, CP_ACP);
}
inline std::string ToLocal(const std::wstring& text) {
    return Narrow(text, CP_ACP);
}
inline std::string ToUtf8(const std::wstring& text) {
    return Narrow(text, CP_UTF8);
}
inline std::string CodePageToUtf8(std::string_view text) {
    return ToUtf8(Wide(std::string(text), CP_ACP));
}

} // namespace wintext
