#pragma once

#include <string>

namespace codeburg {

// Where a build reports its progress: the tree view, the project dialog or the
// command line's progress bar. A build without a sink reports nothing.
class BuildProgressSink {
public:
    virtual ~BuildProgressSink() = default;

    // A status text made of the verb and the object name ("Saving" "core").
    virtual void Status(const std::string& objectName, const std::string& verb) = 0;
    // One more file has been scanned; "name" is the project statistics' name.
    virtual void FileStep(const std::string& name) = 0;
    // The number of expected file steps grows by count.
    virtual void AddRange(int count) = 0;
    virtual int Position() = 0;
    // Called now and then during long steps that have nothing new to report
    // (placing the city, writing a large file), at least every few tens of
    // milliseconds, so that a window driving the build on its own thread can
    // repaint. Needs no answer.
    virtual void KeepAlive() {}
    // Asked between files and once more after the city is laid out: true
    // stops the build, which then puts the project's statistics back as they
    // were (the statistics file is only ever written after the last ask).
    virtual bool StopRequested() { return false; }
};

}  // namespace codeburg
