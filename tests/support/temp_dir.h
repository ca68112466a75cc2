// A fresh folder under /tmp for one test, removed with everything in it when
// the test ends; entered, it is also the working folder until then.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class TempDir {
public:
    explicit TempDir(const char *name, bool enter = false)
    {
        std::string pattern = std::string("/tmp/") + name + ".XXXXXX";
        EXPECT_NE(nullptr, mkdtemp(&pattern[0])) << pattern;
        path = pattern;
        char here[4096];
        if (enter && getcwd(here, sizeof here) != nullptr) {
            left_ = here;
            EXPECT_EQ(0, chdir(path.c_str())) << path;
        }
    }
    ~TempDir()
    {
        if (!left_.empty() && chdir(left_.c_str()) != 0)
            ADD_FAILURE() << "could not return to " << left_;
        if (std::system(("rm -rf '" + path + "'").c_str()) != 0)
            ADD_FAILURE() << "could not remove " << path;
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    std::string operator/(const std::string &name) const { return path + "/" + name; }

    std::string path;

private:
    std::string left_;  // the working folder before, when entered
};
