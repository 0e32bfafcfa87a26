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

CopyResult Failed(bool damaged, DWORD error) {
    return {SystemError(error), damaged};
}

// Copies every byte of `in` to `out` from their current positions and cuts `out` after them.
CopyResult CopyBytes(const Handle& in, Handle& out, bool sync = false) {
    std::vector<char> buffer(1 << 20);
    bool wrote = false;
    for (;;) {
        DWORD got = 0;
        if (ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) == 0)
            return Failed(wrote, GetLastError());
        if (got == 0)
            break;
        DWORD put = 0;
        if (WriteFile(out.get(), buffer.data(), got, &put, nullptr) == 0 || put != got)
            return Failed(true, GetLastError());
        wrote = true;
    }
    if (SetEndOfFile(out.get()) == 0 || (sync && FlushFileBuffers(out.get()) == 0) || !out.Close())
        return Failed(true, GetLastError());
    return {};
}

bool MoveTo(const Handle& file, std::int64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = offset;
    return SetFilePointerEx(file.get(), to, nullptr, FILE_BEGIN) != 0;
}

// Writes the part of the new content that lies beyond the target's old end first: that claims
// the room on any file system and changes no byte of the old content. When it fails (a full
// disk), the target is cut back to its old end and is as it was. False with `failure` set.
bool ClaimTail(const Handle& in, Handle& out, CopyResult& failure) {
    LARGE_INTEGER from{};
    LARGE_INTEGER to{};
    if (GetFileSizeEx(in.get(), &from) == 0 || GetFileSizeEx(out.get(), &to) == 0) {
        failure = Failed(false, GetLastError());
        return false;
    }
    if (from.QuadPart <= to.QuadPart)
        return true;
    std::vector<char> buffer(1 << 20);
    bool written = MoveTo(in, to.QuadPart) && MoveTo(out, to.QuadPart);
    DWORD error = written ? ERROR_SUCCESS : GetLastError();
    while (written) {
        DWORD got = 0;
        DWORD put = 0;
        const bool read =
            ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) != 0;
        if (read && got == 0)
            break;
        if (!read || WriteFile(out.get(), buffer.data(), got, &put, nullptr) == 0) {
            written = false;
            error = GetLastError();
        } else if (put != got) {
            written = false;
            error = ERROR_DISK_FULL; // a short write: no room for the rest
        }
    }
    if (!written) {
        if (MoveTo(out, to.QuadPart))
            SetEndOfFile(out.get());
        failure = Failed(false, error);
        return false;
    }
    if (!MoveTo(in, 0) || !MoveTo(out, 0)) {
        failure = Failed(true, GetLastError());
        return false;
    }
    return true;
}

// The file a copy is taken from, or INVALID_HANDLE_VALUE with `failure` set: only a file on disk.
HANDLE OpenSource(const std::string& source, CopyResult& failure) {
    HANDLE file = CreateFileW(Wide(source).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failure = Failed(false, GetLastError());
    } else if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        failure.error = make_error_code(FileError::NotRegular);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

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

ErrorOr<FilePtr> OpenFile(const std::string& path, const char* mode) {
    FilePtr file(_wfopen(Wide(path).c_str(), Wide(mode).c_str()));
    if (!file)
        return Errno(errno);
    return file;
}

std::error_code SeekTo(std::FILE* file, std::uint64_t offset) {
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0 ? std::error_code() : Errno(errno);
}

ErrorOr<FilePtr> CreateNew(const std::string& path) {
    // Shared for deletion, so that the console handler can remove it while it is being written.
    const std::wstring wide = Wide(path);
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    // In the C library's words, as a failed fopen would say it.
    if (handle == INVALID_HANDLE_VALUE)
        return Errno(ErrnoOf(GetLastError()));
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    FilePtr file(fd >= 0 ? _fdopen(fd, "wb") : nullptr);
    if (file)
        return file;
    // The file is made but cannot be written through: it must not stay behind.
    const std::error_code error = Errno(errno);
    if (fd >= 0)
        _close(fd);
    else
        CloseHandle(handle);
    DeleteFileW(wide.c_str());
    return error;
}

ErrorOr<FilePtr> CreateUnnamed(const std::string& /*directory*/) {
    // Windows has no files without a name; the temporary drawing is named from the start.
    return Errno(ENOTSUP);
}

std::error_code NameUnnamed(std::FILE* /*file*/, const std::string& /*path*/) {
    return Errno(ENOTSUP);
}

std::error_code PlaceNew(const std::string& file, const std::string& path) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails on anything already there.
    if (MoveFileExW(Wide(file).c_str(), Wide(path).c_str(), MOVEFILE_WRITE_THROUGH) != 0)
        return {};
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Errno(EEXIST) : SystemError(error);
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

std::error_code Replace(const std::string& replacement, const std::string& target) {
    if (Calls().replace(replacement.c_str(), target.c_str()) != 0)
        return SystemError(GetLastError());
    return {};
}

SystemCalls& Calls() {
    // No permission bits to set on Windows: ACLs come from the folder or stay with ReplaceFileW.
    static SystemCalls calls{
        &ReadFromFile,
        &WriteToFile,
        [](const char* /*path*/, unsigned /*mode*/) { return 0; },
        &PutInPlace,
        [](int descriptor) {
            // The C library hands the handle over as an integer.
            // NOLINTNEXTLINE(performance-no-int-to-ptr)
            const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
            if (handle == INVALID_HANDLE_VALUE || FlushFileBuffers(handle) == 0) {
                errno = EIO;
                return -1;
            }
            return 0;
        },
        [](const char* /*path*/) { return 0; }, // the moves are written through
    };
    return calls;
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

std::error_code SyncFile(std::FILE* file) {
    if (Calls().syncFile(_fileno(file)) != 0)
        return SystemError(GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT);
    return {};
}

std::error_code SyncFolderOf(const std::string& path) {
    if (Calls().syncFolder(path.c_str()) != 0)
        return SystemError(GetLastError());
    return {};
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

// A binary stream of its own on a duplicate of the stream's descriptor: no CR LF translation and
// no end at a Ctrl+Z.
ErrorOr<FilePtr> Duplicate(std::FILE* stream, const char* mode) {
    const int fd = _dup(_fileno(stream));
    if (fd < 0)
        return Errno(errno);
    _setmode(fd, _O_BINARY);
    FilePtr file(_fdopen(fd, mode));
    if (file)
        return file;
    const std::error_code error = Errno(errno);
    _close(fd);
    return error;
}

} // namespace

namespace {

// The standard streams that were closed when the program started, now on NUL.
bool g_closedAtStart[3] = {false, false, false};

// A stream closed at start has no data to give or take: using it is an error.
ErrorOr<FilePtr> DuplicateStandard(int number, std::FILE* stream, const char* mode) {
    if (g_closedAtStart[number])
        return Errno(EBADF);
    return Duplicate(stream, mode);
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

std::error_code Remove(const std::string& path) {
    return DeleteFileW(Wide(path).c_str()) != 0 ? std::error_code() : SystemError(GetLastError());
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

CopyResult CopyOver(const std::string& source, const std::string& target, const BeforeCopy& beforeCopy,
                    bool sync, const LockWait& /*lockWait*/) {
    CopyResult failure;
    const Handle in(OpenSource(source, failure));
    if (!in.Valid())
        return failure;
    // Shared for reading only: a second writer cannot open the file until this copy is done, and
    // is told that it is in use.
    Handle out(CreateFileW(Wide(target).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.Valid())
        return Failed(false, GetLastError());
    if (beforeCopy) {
        if (!beforeCopy())
            return {make_error_code(FileError::Refused), false};
    }
    if (!ClaimTail(in, out, failure))
        return failure;
    return CopyBytes(in, out, sync);
}

CopyResult CopyToNew(const std::string& source, const std::string& copy) {
    CopyResult failure;
    const Handle in(OpenSource(source, failure));
    if (!in.Valid()) {
        failure.ofSource = true;
        return failure;
    }
    // CREATE_NEW fails on anything already there, a planted link included.
    const std::wstring wide = Wide(copy);
    Handle out(
        CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.Valid())
        return Failed(false, GetLastError());
    CopyResult result = CopyBytes(in, out);
    if (result.error) {
        out.Close();
        DeleteFileW(wide.c_str());
        result.damaged = false;
    }
    return result;
}

ErrorOr<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes) {
    const Handle in(CreateFileW(Wide(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in.Valid())
        return SystemError(GetLastError());
    if (GetFileType(in.get()) != FILE_TYPE_DISK)
        return make_error_code(FileError::NotRegular);
    LARGE_INTEGER size{};
    if (GetFileSizeEx(in.get(), &size) == 0)
        return SystemError(GetLastError());
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        return make_error_code(FileError::TooLarge);
    std::string content(maxBytes + 1, '\0');
    std::size_t got = 0;
    while (got < content.size()) {
        DWORD n = 0;
        if (ReadFile(in.get(), content.data() + got, static_cast<DWORD>(content.size() - got), &n, nullptr) ==
            0)
            return SystemError(GetLastError());
        if (n == 0)
            break;
        got += n;
    }
    if (got > maxBytes)
        return make_error_code(FileError::TooLarge);
    content.resize(got);
    return content;
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
