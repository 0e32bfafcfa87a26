#pragma once

#include <string>
#include <system_error>
#include <utility>

// Why a step of a conversion failed, carried up whole from where it happened: the file it
// concerns stays data beside the system's error, and only the program that tells the user words
// it, naming the file its way (the batch tool by the names on its command line, the desktop
// program by the user's file rather than its temporary copy).
struct Failure {
    // Which side failed, which tells a shell whom to blame.
    enum class Stage {
        None,
        Open,    // the input could not be opened, or copied to be converted
        Read,    // the input could not be read
        Refused, // the input was read, and nothing was written for it (changed meanwhile, --strict)
        Write,   // the drawing could not be written or put in place
        Picture, // the picture failed; the drawing was written
    };

    Stage stage = Stage::None;
    std::string path;              // the file it concerns, as the step was given it
    std::error_code error;         // what the system said, when it said something
    std::string detail;            // the program's own words: alone, or what the system's error is about
    bool damaged = false;          // the target may have lost its old content (an in-place write failed)
    std::string keptPath;          // then the complete new content is here
    bool writtenMeanwhile = false; // damaged by another program that wrote into the target meanwhile
    bool partial = false;          // part of the output went straight into a stream or device

    Failure() = default;
    Failure(Stage stage, std::string path, std::error_code error, std::string detail = {})
        : stage(stage), path(std::move(path)), error(error), detail(std::move(detail)) {}
    Failure(Stage stage, std::string path, std::string detail)
        : stage(stage), path(std::move(path)), detail(std::move(detail)) {}

    explicit operator bool() const { return stage != Stage::None; }
    [[nodiscard]] bool Is(std::errc code) const { return error == code; }

    // The words a program puts after what went wrong, in its user's language; one left empty is
    // not said.
    struct Words {
        std::string incomplete;     // part of the output went straight into a stream or device
        std::string nothingWritten; // an input was refused
        std::string drawingWritten; // only the picture failed
        std::string keptIn;         // the target was damaged: "%1" is where the complete drawing is
    };

    // What went wrong, without the path: "DETAIL: SYSTEM'S TEXT" or either alone, then what
    // became of the output, each after "; ".
    [[nodiscard]] std::string Reason(const Words& words = {}) const {
        if (stage == Stage::None)
            return {};
        std::string reason = detail.empty() ? error.message()
                             : error        ? detail + ": " + error.message()
                                            : detail;
        const auto add = [&reason](const std::string& words) {
            if (!words.empty())
                reason.append("; ").append(words);
        };
        if (partial)
            add(words.incomplete);
        else if (stage == Stage::Refused)
            add(words.nothingWritten);
        else if (stage == Stage::Picture)
            add(words.drawingWritten);
        if (damaged && !words.keptIn.empty()) {
            std::string kept = words.keptIn;
            if (const std::size_t at = kept.find("%1"); at != std::string::npos)
                kept.replace(at, 2, keptPath);
            add(kept);
        }
        return reason;
    }
};
