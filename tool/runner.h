// Runs the converters of a run, up to a number at once, and hands the files
// back in the order they were given, each once its converter has ended. With
// one at a time a converter writes straight to morvel's own streams; with
// more, each writes to temporary files of its own, which the driver copies
// out when the file's turn comes, so that the output is that of a
// one-at-a-time run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "tool/files.h"
#include "tool/processes.h"

// One file of the run, from the moment it is handed over until the driver
// has written what it has to say about it.
struct Job {
    std::int32_t entry = -1; // its place in the run's file list
    std::string psPath;
    std::string imageBase; // the image's path without ".jpg"
    std::string jpgPath;   // the image, or with pages the first page's file
    std::string head;      // the progress line and the command, as written
    std::string refusal;   // why it must not run; such a job only reports
    std::vector<std::string> args;
    bool skip = false;                 // up to date: nothing to run or say
    FileStamp before;                  // the image's path just before the start
    std::vector<FileStamp> laterPages; // with pages: those after the first that were there
    WriteWatch* watch = nullptr;       // owned; ended by the driver
    ConverterProcess process;
    bool done = false;
};

// Makes the fresh files a converter's output is captured in (one for both
// streams with combined, else two), unless process holds them already.
// False, with process->outcome.error saying why, when they cannot be made.
bool PrepareCapture(ConverterProcess* process, bool combined);
// Closes the captured files; they go with it.
void ReleaseCaptured(ConverterProcess* process);

class Runner {
  public:
    // jobs: how many converters may run at once (1 or more); timeout: the
    // seconds each may run, 0 for no limit; combined: stdout and stderr are
    // one file, so a converter's two streams are captured in one.
    Runner(int jobs, double timeout, bool combined);
    // Waits for converters still running and releases their files.
    ~Runner();
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // Whether converters write to temporary files (more than one at a time).
    bool Captures() const { return jobs_ > 1; }
    // No room for another file until the first one has been written. Holds
    // at most twice as many files as converters may run, so memory and open
    // files stay bounded whatever the number of files.
    bool Full() const { return queue_.size() >= limit_; }

    // Waits until another converter may start.
    void WaitForRoom();
    // Takes a file and starts its converter unless it is refused.
    void Add(Job job);
    // The first file, once it is done; with wait, waits for that. nullptr
    // when there is none, or without wait while it still runs.
    Job* First(bool wait);
    // Lets go of the first file and its captured output.
    void DropFirst();
    // A converter was stopped from outside (not by morvel): nothing more
    // may start, and the stop has been passed on to the others.
    bool Stopped() const { return stopped_; }

  private:
    std::size_t Running() const;
    // Waits (or, without wait, looks) for one converter to end; false when
    // none has.
    bool CollectOne(bool wait);

    int jobs_;
    double timeout_;
    bool combined_;
    bool stopped_ = false;
    std::size_t limit_;
    std::deque<Job> queue_;
    ConverterProcess spare_; // the next converter's files, made while others run
    // Files of written jobs, closed when morvel next waits anyway: closing a
    // temporary file costs the file system as much as making one.
    std::vector<ConverterProcess> released_;
};
