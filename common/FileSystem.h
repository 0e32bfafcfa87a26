#pragma once

#include "common/ErrorOr.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

// The few file operations whose system calls differ between platforms. Paths are UTF-8 texts on
// every platform; on Windows they reach the system through its wide-character calls, so a folder
// name outside the ANSI code page works.
namespace filesys {

// Every failure below is a std::error_code: the C library's (generic) or, on Windows, the system's
// own codes, whose texts are the system's; and these, for what no system call says.
enum class FileError {
    NotRegular = 1, // a pipe or device where a file with content was expected
    TooLarge,       // more than a small file may hold
    Refused,        // a copy stopped by its caller's last check
    // After a copy in place the file does not hold what was copied: a writer that takes no lock
    // wrote into it meanwhile, and it is neither the old content nor the new.
    WrittenMeanwhile,
    StillLocked, // another writer held the file longer than its caller would wait
};
std::error_code make_error_code(FileError error);

} // namespace filesys

template <> struct std::is_error_code_enum<filesys::FileError> : std::true_type {};

namespace filesys {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The program's arguments after its name, as UTF-8 texts: on Windows from the wide command line
// (and the console then shows UTF-8 too), elsewhere as they come.
std::vector<std::string> Arguments(int argc, char** argv);
// The files a command-line argument names. On Windows, whose shell leaves wildcards to the
// program, "*" and "?" in the last part are matched against the folder's files (in name order,
// folders left out); elsewhere the shell has done that, and the argument is the one path. Empty
// when a pattern matches nothing.
std::vector<std::string> MatchArgument(const std::string& argument);

// A path object for a UTF-8 path text, and back.
std::filesystem::path PathOf(const std::string& text);
std::string TextOf(const std::filesystem::path& path);

// Opens the null device in place of a closed standard input, output or error, so that no file the
// program opens later takes its number and receives its messages. Called first thing in main.
// A stream closed then stays closed for the program's data: OpenStandardInput and the others
// below fail on it (EBADF), so that a drawing sent to a closed output is no success.
void OpenClosedStandardStreams();

// The process's standard input and output as binary streams of their own (duplicated
// descriptors): closing them leaves the process's own open.
ErrorOr<FilePtr> OpenStandardInput();
ErrorOr<FilePtr> OpenStandardOutput();
// The same for standard error, where a drawing is sent that names standard error's file.
ErrorOr<FilePtr> OpenStandardError();

// std::fopen for a UTF-8 path.
ErrorOr<FilePtr> OpenFile(const std::string& path, const char* mode);
// Moves the file's position to `offset` from its start, beyond 2 GiB too.
[[nodiscard]] std::error_code SeekTo(std::FILE* file, std::uint64_t offset);
// A new file opened for binary writing, readable by the user alone: created now or not at all,
// never through a link.
ErrorOr<FilePtr> CreateNew(const std::string& path);
// A new file in `directory` that has no name yet, for binary writing, readable by the user alone
// (Linux's O_TMPFILE): a process killed before the file is named leaves nothing behind.
// std::errc::not_supported where the system or file system has no such files.
ErrorOr<FilePtr> CreateUnnamed(const std::string& directory);
// Gives a file made by CreateUnnamed the name `path`, only where nothing is.
[[nodiscard]] std::error_code NameUnnamed(std::FILE* file, const std::string& path);
// Gives a file made by CreateNew the permissions any new file of the user gets (the umask's).
// An error when the file is left without them (a file system that sets modes itself, as FAT
// does, is no error when it gives at least those).
[[nodiscard]] std::error_code GiveNewFilePermissions(const std::string& path);
// Moves the new file to the path only when nothing is there, in one step, so that a file made
// there meanwhile is never replaced (std::errc::file_exists).
[[nodiscard]] std::error_code PlaceNew(const std::string& file, const std::string& path);
// Puts `replacement` in the place of `target` by a rename.
[[nodiscard]] std::error_code Replace(const std::string& replacement, const std::string& target);
// Makes what was written to the open file reach the disk: a power cut after this keeps it.
[[nodiscard]] std::error_code SyncFile(std::FILE* file);
// Makes the entries of the folder that holds `path` reach the disk, so that a rename into it
// survives a power cut.
[[nodiscard]] std::error_code SyncFolderOf(const std::string& path);
// Whether the stream goes to a terminal (a console), where progress may be drawn.
bool IsTerminal(std::FILE* stream);
// Gives `to` the permissions of `from`, where a rename would not keep them; an error as above.
[[nodiscard]] std::error_code CopyPermissions(const std::string& from, const std::string& to);

// A file opened through the table below: a descriptor; on Windows a HANDLE.
using NativeFile = std::intptr_t;
constexpr NativeFile kNoFile = -1;

// How the table opens a file.
enum class Access {
    Read,      // an existing file, for reading
    Peek,      // the same, but a pipe or device put in its place never blocks the opening
    Update,    // an existing file, for reading and writing; on Windows no other writer meanwhile
    Write,     // the same, for a file that may only be written
    CreateNew, // a new file for writing, readable by the user alone, made now or not at all (never
               // through a link)
    Unnamed,   // the same without a name, in the folder given (Linux's O_TMPFILE)
};

// What an open file is.
struct OpenFacts {
    bool regular = false;
    bool directory = false;
    std::uint64_t size = 0;
};

// Every system call that reads, writes, places or removes a file, behind one table that the tests
// swap (ScopedSystemCalls) to make each of them fail in-process. Each returns the system's error
// (errno's; on Windows the system's own codes), empty when it did what it says.
struct SystemCalls {
    // Streams: up to `size` bytes, `done` of them read (0 at the end) or written (fread, fwrite).
    std::error_code (*read)(std::FILE* file, void* buffer, std::size_t size, std::size_t& done);
    std::error_code (*write)(std::FILE* file, const void* data, std::size_t size, std::size_t& done);
    // std::fopen for a UTF-8 path.
    std::error_code (*openStream)(const char* path, const char* mode, std::FILE*& stream);
    // A stream on the open file, which it takes over (fdopen): it is closed on a failure.
    std::error_code (*streamOn)(NativeFile file, const char* mode, std::FILE*& stream);
    // A file of its own on what the stream is open on (dup).
    std::error_code (*duplicate)(std::FILE* stream, NativeFile& copy);

    // Files: `path` is the folder for Access::Unnamed.
    std::error_code (*open)(const char* path, Access access, NativeFile& file);
    std::error_code (*close)(NativeFile file);
    std::error_code (*facts)(NativeFile file, OpenFacts& facts);
    std::error_code (*readAt)(NativeFile file, void* buffer, std::size_t size, std::uint64_t offset,
                              std::size_t& done);
    std::error_code (*writeAt)(NativeFile file, const void* data, std::size_t size, std::uint64_t offset,
                               std::size_t& done);
    // Sets the file's size (ftruncate).
    std::error_code (*resize)(NativeFile file, std::uint64_t size);
    // Claims room on the disk for the file to grow to `size` (posix_fallocate); std::errc::not_supported
    // where the file system cannot.
    std::error_code (*reserve)(NativeFile file, std::uint64_t size);
    // Takes the file's exclusive advisory lock (flock), waiting for it or, without `wait`,
    // std::errc::resource_unavailable_try_again while another holds it. Windows needs none: no
    // other writer may open a file opened for Access::Update.
    std::error_code (*lock)(NativeFile file, bool wait);
    // Makes the open file's data reach the disk (fsync; FlushFileBuffers).
    std::error_code (*syncFile)(NativeFile file);
    // Makes a folder's entries reach the disk, after a rename into it; nothing on Windows, whose
    // moves are written through.
    std::error_code (*syncFolder)(const char* path);
    // POSIX chmod; nothing on Windows, where files take their folder's ACLs.
    std::error_code (*setMode)(const char* path, unsigned mode);

    // Names: puts the file `from` in the place of `to` (rename; ReplaceFileW, which keeps the
    // target's ACLs).
    std::error_code (*replace)(const char* from, const char* to);
    // Renames only where nothing is (renameat2's RENAME_NOREPLACE; std::errc::invalid_argument
    // where the file system cannot), gives the file a second name (link), gives an unnamed open
    // file its first name, and removes a name (unlink; never a folder).
    std::error_code (*renameNew)(const char* from, const char* to);
    std::error_code (*link)(const char* from, const char* to);
    std::error_code (*name)(NativeFile file, const char* path);
    std::error_code (*remove)(const char* path);
};
SystemCalls& Calls();
// The real read and write of the table.
std::error_code ReadFromFile(std::FILE* file, void* buffer, std::size_t size, std::size_t& done);
std::error_code WriteToFile(std::FILE* file, const void* data, std::size_t size, std::size_t& done);
// The open file a stream writes to (fileno; on Windows its HANDLE).
NativeFile NativeOf(std::FILE* stream);
// A stream on a file just opened through the table, or the error; the file is closed then.
ErrorOr<FilePtr> StreamOf(NativeFile file, const char* mode);
// Removes a file, or a link and not what it points to; never a folder. Empty when removed.
std::error_code Remove(const std::string& path);
// Removes a file from an interrupt handler: no allocation, no locks.
void RemoveNow(const char* path) noexcept;

// What a file is and how it looked at one moment: which file (device and inode; on Windows the
// volume and file index), its size, its modification and change times and its count of names. Any rewrite or
// replacement of the file changes one of them.
struct FileState {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // in the system's own ticks
    std::int64_t changed = 0;
    std::uint64_t links = 0; // the names the file has
    std::error_code error;   // why the file could not be looked at

    // Whether both are the one file, whatever became of it meanwhile.
    [[nodiscard]] bool SameFile(const FileState& other) const {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    [[nodiscard]] bool SameAs(const FileState& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               size == other.size && modified == other.modified && changed == other.changed;
    }
};
// Follows links to the file they name; with followLinks false, a link is looked at itself.
FileState StateOf(const std::string& path, bool followLinks = true);
// The system's ticks of FileState::modified in a second.
std::int64_t TicksPerSecond();
// Whether `file` was modified after `than` beyond what a coarse clock may blur: FAT keeps times
// to two seconds, exFAT and many shares to whole seconds, so a survey rewritten in the second its
// drawing was made looks no newer. Where a time falls on a whole second, more than two apart.
bool ModifiedAfter(const FileState& file, const FileState& than);

// The standard streams by number, as on the command line of a shell.
enum class StandardStream { Input = 0, Output = 1, Error = 2 };
// What a standard stream is when it is a regular file (`exists` false for a terminal, pipe or
// device): its device and inode tell when a path names the same file.
FileState StateOf(StandardStream stream);
// Whether `path` names what the standard stream is, whatever it is (a pipe, a terminal, a file):
// /dev/stdout, /dev/fd/1, /proc/self/fd/1, a link to them. Such a path is the stream itself.
bool NamesStandardStream(const std::string& path, StandardStream stream);
// Whether the regular file `path` leads to is the one a standard stream writes to
// (`-o /dev/stdout >> log`): then it is fed through that stream, at its position and in its
// append mode, never replaced.
bool IsStandardStreamFile(const std::string& path, StandardStream stream);

// The path as the platform's file systems compare names, for telling whether two paths of files
// that do not exist yet name one file: on Windows in upper case (NTFS and FAT ignore case, so
// x.dxf and X.DXF are one file), elsewhere as it is.
std::string PathKey(const std::string& path);

// Whether the folder's disk takes names that differ only in case as one (exFAT, FAT, NTFS, shares;
// every Windows folder is taken so). Asked of the disk: a file with a name never used before is
// made there and looked up in other case, then removed; false where none can be made.
bool IgnoresCase(const std::string& folder);

// The absolute path of the file that writing to `path` would reach: symbolic links of the last
// component are followed one by one, also when they lead to a file that does not exist yet (a
// dangling link), and the folders on the way are resolved as far as they exist.
std::string ResolveLinks(const std::string& path);

// True when a new file put over `target` by a rename would still be the file it is: a regular
// file with one link and no extended attributes (ACLs included), owned like the open `replacement`.
bool RenameKeepsIdentity(const std::string& target, std::FILE* replacement);

// How copying a file's bytes over another file in place went.
struct CopyResult {
    std::error_code error;
    bool damaged = false;  // some of the target's bytes were overwritten before the failure
    bool ofSource = false; // the source could not be opened (or is no regular file)
};
// Called once the target is held for the copy and before a byte of it changes; false stops the
// copy with FileError::Refused.
using BeforeCopy = std::function<bool()>;
// Called about every 50 ms while another writer holds the target, with how long it has waited;
// false stops waiting with FileError::StillLocked. None: the copy waits as long as it takes.
using LockWait = std::function<bool(std::chrono::milliseconds waited)>;
// Overwrites the content of the existing file `target` with that of the regular file `source`, keeping the
// target's inode, owner, links and attributes, and makes the new content reach the disk unless
// told not to (`sync`). Room for a longer content is claimed first, so a
// full disk usually fails before a byte of the target changes. The target is held exclusively for
// the whole copy (an advisory lock on Linux, waited for; on Windows no other writer may open it),
// so that two writers never mix their contents. Afterwards the target is read back and compared
// with the source: a writer that takes no lock and wrote meanwhile gives FileError::WrittenMeanwhile
// (damaged).
[[nodiscard]] CopyResult CopyOver(const std::string& source, const std::string& target,
                                  const BeforeCopy& beforeCopy = {}, bool sync = true,
                                  const LockWait& lockWait = {});

// Copies the regular file `source` into a new file `copy`, readable by the user alone, created
// now or not at all (never through a link). On failure nothing is left at `copy`.
[[nodiscard]] CopyResult CopyToNew(const std::string& source, const std::string& copy);

// Reads the whole of a small regular file, never blocking on a pipe or device put in its place:
// FileError::NotRegular for those, FileError::TooLarge when it holds more than maxBytes.
ErrorOr<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes);

// The first name where nothing is of `path` itself (from 1) and "NAME (2).EXT", "NAME (3).EXT" ...:
// where a file is kept so that a user sees it.
std::string FreeNameBeside(const std::string& path, int from = 1);

// Whether both files can be read and hold the same bytes.
bool SameContent(const std::string& a, const std::string& b);

// The user's temporary directory, ending in a separator.
std::string TemporaryDirectory();

} // namespace filesys
