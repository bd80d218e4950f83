#pragma once

namespace morvane {

// While one lives, whatever is written to the process's standard error is dropped. The PNG
// decoder prints its own complaints about a damaged file there before Qt's image reader reports
// the failure; the tool states every failure itself, in one line, so those lines must not show.
class StderrMute {
public:
    StderrMute();
    ~StderrMute();
    StderrMute(const StderrMute&) = delete;
    StderrMute& operator=(const StderrMute&) = delete;

private:
    int saved_;
};

} // namespace morvane
