// frt2dxf-batch: converts FRT files to DXF drawings without a desktop. Never changes its input.
#include "batch/BatchRun.h"
#include "common/FileSystem.h"
#include "common/PendingFiles.h"

#include <cstdio>

int main(int argc, char** argv) {
    filesys::OpenClosedStandardStreams();
    pendingfiles::RemoveOnInterrupt();
    batchrun::Reporter reporter(stdout, stderr);
    return batchrun::Run(filesys::Arguments(argc, argv), reporter);
}
