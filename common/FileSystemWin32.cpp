#include "common/FileSystem.h"

#include <windows.h>

#include <shellapi.h> // after windows.h, which it needs

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace filesys {

namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr,
                        nullptr);
    return text;
}

// The system's text for a Win32 error code, without its line end.
std::string SystemText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : Narrow(text);
}

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (Valid())
            CloseHandle(m_handle);
    }
    [[nodiscard]] bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    [[nodiscard]] HANDLE get() const { return m_handle; }
    bool Close() {
        HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

private:
    HANDLE m_handle;
};

// The C library's number for a Win32 error, so that messages read as on other platforms.
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

// Win32 error codes with the system's own texts; they compare equal to the C library's numbers
// ErrnoOf gives them, so that `error == std::errc::file_exists` holds on every platform.
class WindowsCategory : public std::error_category {
public:
    [[nodiscard]] const char* name() const noexcept override { return "windows"; }
    [[nodiscard]] std::string message(int error) const override {
        return SystemText(static_cast<DWORD>(error));
    }
    [[nodiscard]] std::error_condition default_error_condition(int error) const noexcept override {
        return std::generic_category().default_error_condition(ErrnoOf(static_cast<DWORD>(error)));
    }
};

std::error_code SystemError(DWORD error) {
    static const WindowsCategory category;
    return {static_cast<int>(error), category};
}

// Errors of the C runtime's calls, which set errno.
std::error_code Errno(int error) {
    return {error, std::generic_category()};
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32U) |
                                     time.dwLowDateTime);
}

// Whether the long name matches the pattern ("*" any run, "?" one character), ignoring case as
// the file system does. FindFirstFileW matches the short 8.3 names too, where "survey.frtx" is
// "SURVEY~1.FRT" and so would be taken for "*.frt".
bool LongNameMatches(std::wstring name, std::wstring pattern) {
    CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    CharUpperBuffW(pattern.data(), static_cast<DWORD>(pattern.size()));
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t star = std::wstring::npos; // the last "*" met, and where its run began in the name
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = n;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

} // namespace

std::vector<std::string> Arguments(int /*argc*/, char** /*argv*/) {
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Narrow(words[i]));
    LocalFree(words);
    return arguments;
}

std::vector<std::string> MatchArgument(const std::string& argument) {
    const std::filesystem::path pattern = PathOf(argument);
    const std::wstring name = pattern.filename().wstring();
    if (name.find_first_of(L"*?") == std::wstring::npos)
        return {argument};
    std::vector<std::string> matches;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(pattern.wstring().c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return matches;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            LongNameMatches(found.cFileName, name))
            matches.push_back(TextOf(pattern.parent_path() / found.cFileName));
    } while (FindNextFileW(search, &found) != 0);
    FindClose(search);
    std::sort(matches.begin(), matches.end());
    return matches;
}

std::filesystem::path PathOf(const std::string& text) {
    return {Wide(text)};
}

std::string TextOf(const std::filesystem::path& path) {
    return Narrow(path.wstring());
}

std::error_code SeekTo(std::FILE* file, std::uint64_t offset) {
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0 ? std::error_code() : Errno(errno);
}

namespace {

// The table's replace: the last error tells why not.
int PutInPlace(const char* replacement, const char* target) {
    const std::wstring from = Wide(replacement);
    const std::wstring to = Wide(target);
    // ReplaceFileW keeps the target's attributes, ACLs and creation time.
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES)
        return ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                            nullptr) != 0
                   ? 0
                   : -1;
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0
               ? 0
               : -1;
}

} // namespace

namespace {

// A call's result as the table gives it: empty, or the system's last error.
std::error_code Result(bool ok) {
    return ok ? std::error_code() : SystemError(GetLastError());
}

HANDLE HandleOf(NativeFile file) {
    // The table holds the handle as an integer.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    return reinterpret_cast<HANDLE>(file);
}

std::error_code OpenHandle(const char* path, Access access, NativeFile& file) {
    DWORD rights = GENERIC_READ;
    DWORD share = kShareAll;
    DWORD disposition = OPEN_EXISTING;
    switch (access) {
    case Access::Read:
    case Access::Peek:
        break;
    case Access::Update:
        // Shared for reading only: no other writer can open the file until it is closed.
        rights = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ;
        break;
    case Access::Write:
        rights = GENERIC_WRITE;
        share = FILE_SHARE_READ;
        break;
    case Access::CreateNew:
        // Shared for deletion, so that the console handler can remove it while it is written;
        // CREATE_NEW fails on anything already there, a planted link included.
        rights = GENERIC_WRITE;
        share = FILE_SHARE_READ | FILE_SHARE_DELETE;
        disposition = CREATE_NEW;
        break;
    case Access::Unnamed:
        // Windows has no files without a name; the temporary drawing is named from the start.
        return Errno(ENOTSUP);
    }
    HANDLE handle =
        CreateFileW(Wide(path).c_str(), rights, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    file = reinterpret_cast<NativeFile>(handle);
    if (handle != INVALID_HANDLE_VALUE)
        return {};
    // A new file's failure in the C library's words, as a failed fopen would say it.
    return access == Access::CreateNew ? Errno(ErrnoOf(GetLastError())) : SystemError(GetLastError());
}

std::error_code StreamOnHandle(NativeFile file, const char* mode, std::FILE*& stream) {
    const int fd = _open_osfhandle(file, _O_BINARY);
    if (fd < 0) {
        const std::error_code error = Errno(errno);
        CloseHandle(HandleOf(file));
        return error;
    }
    // No CR LF translation and no end at a Ctrl+Z.
    _setmode(fd, _O_BINARY);
    stream = _fdopen(fd, mode);
    if (stream != nullptr)
        return {};
    const std::error_code error = Errno(errno);
    _close(fd);
    return error;
}

std::error_code DuplicateHandleOf(std::FILE* stream, NativeFile& copy) {
    HANDLE duplicate = INVALID_HANDLE_VALUE;
    HANDLE process = GetCurrentProcess();
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    const bool duplicated =
        DuplicateHandle(process, handle, process, &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS) != 0;
    copy = reinterpret_cast<NativeFile>(duplicate);
    return Result(duplicated);
}

std::error_code Facts(NativeFile file, OpenFacts& facts) {
    facts.regular = GetFileType(HandleOf(file)) == FILE_TYPE_DISK;
    facts.directory = false; // a folder is not opened without FILE_FLAG_BACKUP_SEMANTICS
    facts.size = 0;
    LARGE_INTEGER size{};
    if (facts.regular && GetFileSizeEx(HandleOf(file), &size) == 0)
        return SystemError(GetLastError());
    facts.size = static_cast<std::uint64_t>(size.QuadPart);
    return {};
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFU);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32U);
    return at;
}

// At most this much a call: ReadFile and WriteFile count in 32 bits.
constexpr std::size_t kLargestCall = std::size_t{1} << 30U;

std::error_code ReadAt(NativeFile file, void* buffer, std::size_t size, std::uint64_t offset,
                       std::size_t& done) {
    OVERLAPPED at = At(offset);
    DWORD got = 0;
    const bool read =
        ReadFile(HandleOf(file), buffer, static_cast<DWORD>(std::min(size, kLargestCall)), &got, &at) != 0;
    done = got;
    // A read from the end on, by its offset, says so with an error.
    return read || GetLastError() == ERROR_HANDLE_EOF ? std::error_code() : SystemError(GetLastError());
}

std::error_code WriteAt(NativeFile file, const void* data, std::size_t size, std::uint64_t offset,
                        std::size_t& done) {
    OVERLAPPED at = At(offset);
    DWORD put = 0;
    const bool written =
        WriteFile(HandleOf(file), data, static_cast<DWORD>(std::min(size, kLargestCall)), &put, &at) != 0;
    done = put;
    return Result(written);
}

std::error_code Resize(NativeFile file, std::uint64_t size) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(size);
    return Result(SetFilePointerEx(HandleOf(file), to, nullptr, FILE_BEGIN) != 0 &&
                  SetEndOfFile(HandleOf(file)) != 0);
}

// Claims the room by writing zeros from the file's end on: setting the end alone claims nothing
// where the file system keeps holes (Wine on Linux's file systems), and the copy would then run
// out of room half way. No byte of the old content changes; the copy writes over the zeros.
std::error_code Reserve(NativeFile file, std::uint64_t size) {
    LARGE_INTEGER end{};
    if (GetFileSizeEx(HandleOf(file), &end) == 0)
        return SystemError(GetLastError());
    const std::vector<char> zeros(std::min<std::uint64_t>(size, std::uint64_t{1} << 20U));
    for (auto at = static_cast<std::uint64_t>(end.QuadPart); at < size;) {
        std::size_t put = 0;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size - at, zeros.size()));
        if (const std::error_code error = WriteAt(file, zeros.data(), want, at, put))
            return error;
        if (put == 0)
            return SystemError(ERROR_DISK_FULL);
        at += put;
    }
    return {};
}

std::error_code RenameNew(const char* from, const char* to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails on anything already there.
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0)
        return {};
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Errno(EEXIST) : SystemError(error);
}

// A pipe whose reader went away fails a write with EINVAL (the C runtime's word for
// ERROR_NO_DATA): it is the broken pipe it is elsewhere, which ends a run quietly.
std::error_code WriteToStream(std::FILE* file, const void* data, std::size_t size, std::size_t& done) {
    const std::error_code error = WriteToFile(file, data, size, done);
    if (error == std::errc::invalid_argument && GetFileType(HandleOf(NativeOf(file))) == FILE_TYPE_PIPE)
        return Errno(EPIPE);
    return error;
}

} // namespace

SystemCalls& Calls() {
    static SystemCalls calls{
        &ReadFromFile,
        &WriteToStream,
        [](const char* path, const char* mode, std::FILE*& stream) {
            stream = _wfopen(Wide(path).c_str(), Wide(mode).c_str());
            return stream != nullptr ? std::error_code() : Errno(errno);
        },
        &StreamOnHandle,
        &DuplicateHandleOf,
        &OpenHandle,
        [](NativeFile file) { return Result(CloseHandle(HandleOf(file)) != 0); },
        &Facts,
        &ReadAt,
        &WriteAt,
        &Resize,
        &Reserve,
        [](NativeFile /*file*/, bool /*wait*/) { return std::error_code(); }, // held by the sharing mode
        [](NativeFile file) { return Result(FlushFileBuffers(HandleOf(file)) != 0); },
        [](const char* /*path*/) { return std::error_code(); }, // the moves are written through
        // No permission bits to set on Windows: ACLs come from the folder or stay with ReplaceFileW.
        [](const char* /*path*/, unsigned /*mode*/) { return std::error_code(); },
        [](const char* from, const char* to) { return Result(PutInPlace(from, to) == 0); },
        &RenameNew,
        [](const char* from, const char* to) {
            return Result(CreateHardLinkW(Wide(to).c_str(), Wide(from).c_str(), nullptr) != 0);
        },
        [](NativeFile /*file*/, const char* /*path*/) { return Errno(ENOTSUP); },
        [](const char* path) { return Result(DeleteFileW(Wide(path).c_str()) != 0); },
    };
    return calls;
}

NativeFile NativeOf(std::FILE* stream) {
    return _get_osfhandle(_fileno(stream));
}

bool IgnoresCase(const std::string& /*folder*/) {
    return true; // PathKey compares every path so already
}

std::string PathKey(const std::string& path) {
    std::wstring wide = Wide(path);
    // The system's own mapping, the one its file systems use to compare names.
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Narrow(wide);
}

std::error_code GiveNewFilePermissions(const std::string& /*path*/) {
    // A new file takes its folder's ACLs on Windows.
    return {};
}

std::error_code CopyPermissions(const std::string& /*from*/, const std::string& /*to*/) {
    // ReplaceFileW keeps the target's attributes and ACLs itself; a read-only attribute copied
    // onto the temporary file would only keep it from being removed after a failure.
    return {};
}

namespace {

// The standard streams that were closed when the program started, now on NUL.
bool g_closedAtStart[3] = {false, false, false};

// A stream closed at start has no data to give or take: using it is an error.
ErrorOr<FilePtr> DuplicateStandard(int number, std::FILE* stream, const char* mode) {
    if (g_closedAtStart[number])
        return Errno(EBADF);
    NativeFile copy = kNoFile;
    if (const std::error_code error = Calls().duplicate(stream, copy))
        return error;
    return StreamOf(copy, mode);
}

} // namespace

ErrorOr<FilePtr> OpenStandardInput() {
    return DuplicateStandard(0, stdin, "rb");
}

ErrorOr<FilePtr> OpenStandardOutput() {
    std::fflush(stdout); // what the program printed comes first
    return DuplicateStandard(1, stdout, "wb");
}

ErrorOr<FilePtr> OpenStandardError() {
    std::fflush(stderr);
    return DuplicateStandard(2, stderr, "wb");
}

void OpenClosedStandardStreams() {
    const std::pair<std::FILE*, const char*> streams[] = {{stdin, "rb"}, {stdout, "wb"}, {stderr, "wb"}};
    int number = 0;
    for (const auto& [stream, mode] : streams) {
        const int fd = _fileno(stream);
        if (fd < 0 || _get_osfhandle(fd) < 0) {
            g_closedAtStart[number] = true;
            (void)std::freopen("NUL", mode, stream);
        }
        ++number;
    }
}

bool NamesStandardStream(const std::string& /*path*/, StandardStream /*stream*/) {
    return false; // no path names a standard stream there; "-" does
}

bool IsTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

void RemoveNow(const char* path) noexcept {
    // The console handler runs on its own thread: a fixed buffer is enough and allocates nothing.
    wchar_t wide[4096];
    if (MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, 4096) > 0)
        DeleteFileW(wide);
}

FileState StateOf(const std::string& path, bool followLinks) {
    FileState state;
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const Handle file(CreateFileW(Wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || GetFileInformationByHandle(file.get(), &info) == 0) {
        state.error = SystemError(GetLastError());
        return state;
    }
    state.exists = true;
    state.device = info.dwVolumeSerialNumber;
    state.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32U) | info.nFileIndexLow;
    state.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32U) | info.nFileSizeLow;
    state.modified = Ticks(info.ftLastWriteTime);
    state.links = info.nNumberOfLinks;
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic) != 0)
        state.changed = basic.ChangeTime.QuadPart;
    return state;
}

std::int64_t TicksPerSecond() {
    return 10'000'000; // FILETIME's 100 ns
}

FileState StateOf(StandardStream stream) {
    static constexpr DWORD kHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    FileState state;
    HANDLE handle = GetStdHandle(kHandles[static_cast<int>(stream)]);
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
        GetFileInformationByHandle(handle, &info) == 0)
        return state;
    state.exists = true;
    state.device = info.dwVolumeSerialNumber;
    state.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32U) | info.nFileIndexLow;
    state.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32U) | info.nFileSizeLow;
    return state;
}

bool RenameKeepsIdentity(const std::string& target, std::FILE* /*replacement*/) {
    const Handle file(CreateFileW(Wide(target).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid())
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    BY_HANDLE_FILE_INFORMATION info{};
    // ReplaceFileW keeps attributes and ACLs; only another hard link would be left behind.
    return GetFileInformationByHandle(file.get(), &info) != 0 && info.nNumberOfLinks == 1 &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string TemporaryDirectory() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    std::string dir = length > 0 ? Narrow(std::wstring(buffer, length)) : std::string(".\\");
    if (dir.back() != '\\' && dir.back() != '/')
        dir += '\\';
    return dir;
}

} // namespace filesys
