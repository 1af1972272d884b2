// A tiny check reporter for the Windows console test: one line per check (PASS, FAIL or
// SKIP with the reason), and a summary whose failure count becomes the exit status.
#pragma once

#include <cstdio>
#include <string>

namespace orvane::wintest {

class Checks {
public:
    // Records one check; returns `ok` so callers can stop a group after a failure.
    bool check(bool ok, const std::string& what, const std::string& detail = {}) {
        if (ok) {
            ++passed_;
            std::printf("PASS %s\n", what.c_str());
        } else {
            ++failed_;
            std::printf("FAIL %s%s%s\n", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
        }
        std::fflush(stdout);
        return ok;
    }
    // A check that cannot be made here (an emulator limit, a missing port): says why.
    void skip(const std::string& what, const std::string& why) {
        ++skipped_;
        std::printf("SKIP %s: %s\n", what.c_str(), why.c_str());
        std::fflush(stdout);
    }
    void note(const std::string& text) {
        std::printf("     %s\n", text.c_str());
        std::fflush(stdout);
    }
    void group(const char* name) {
        std::printf("== %s\n", name);
        std::fflush(stdout);
    }
    int summary() const {
        std::printf("%d passed, %d failed, %d skipped\n", passed_, failed_, skipped_);
        return failed_ == 0 ? 0 : 1;
    }

private:
    int passed_ = 0;
    int failed_ = 0;
    int skipped_ = 0;
};

}  // namespace orvane::wintest
