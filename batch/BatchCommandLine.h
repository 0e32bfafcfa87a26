#pragma once

#include "common/CodePage.h"
#include "export/ExportSettings.h"

#include <string>
#include <utility>
#include <vector>

// What the command line asks for.
struct BatchRequest {
    std::vector<std::string> inputs;
    std::string output;     // only with one input
    std::string outputDir;  // -t: every drawing goes into this folder as NAME.dxf
    bool recursive = false; // a folder given as input: its subfolders' .frt files too
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool fromSettings = false;
    bool strict = false;        // a questionable value in an input fails that input
    bool noClobber = false;     // an existing output is kept, and its input is skipped
    bool update = false;        // an output as new as its input is kept, and its input is skipped
    bool verbose = false;       // each skipped input is said too
    bool noSync = false;        // outputs are put in place without waiting for the disk (scratch output)
    int lockWaitSeconds = 30;   // how long a copy in place waits for another writer of its output
    bool dryRun = false;        // read and check the inputs, write no drawing
    std::string report;         // where the JSON report of the run goes, when asked for
    std::string preview;        // where the SVG picture of the drawing goes (one input only)
    bool previewLabels = false; // the picture shows the labels
    const codepage::Page* codePage = nullptr; // declared in the drawings; null: none
    unsigned jobs = DefaultJobs();            // conversions at once
    // The label options given for a kind ("--label-layer", "height"), to say when one changes
    // nothing.
    std::vector<std::pair<const char*, const char*>> givenLabelOptions;

    // The number of cores, at least 1.
    static unsigned DefaultJobs();
};

namespace batchcli {

// Applies the options of the command line to the settings (which start from the defaults, or
// the stored settings with --from-settings), checking every value given against the dialog's
// limits. Returns false with a message naming the option on any usage error.
bool ParseCommandLine(const std::vector<std::string>& args, ExportSettings& settings, BatchRequest& request,
                      std::string& error);

// The options given that change nothing with the others ("--label-layer height: no height label
// is drawn"), each said once, so that a typo in a script is seen.
std::vector<std::string> IdleOptions(const ExportSettings& settings, const BatchRequest& request);

// Why the options that name one output cannot be taken with that many inputs (after the
// wildcards are matched, on Windows), or empty.
std::string OneInputProblem(const BatchRequest& request, std::size_t inputs);

// What --help shows: every option with its help, from the table of options.
std::string Usage();

// One option as the command line takes it: what --help, the manual page and the shell
// completion must all offer.
struct OptionForm {
    const char* name;
    char letter; // of the short form, or none
    bool takesValue;
};
std::vector<OptionForm> OptionForms();

} // namespace batchcli
