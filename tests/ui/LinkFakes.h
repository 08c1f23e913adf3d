#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace tessaline::test {

// A shell that opens nothing: it records what it is asked and answers from its tables.
class FakeShell final : public Shell {
  public:
    int openResult = shellresult::Opened;
    int startResult = shellresult::Started;
    std::map<std::string, std::string> associations;  // key -> default value

    std::vector<std::string> opened;
    std::vector<std::string> keysRead;
    std::vector<std::vector<std::string>> started;  // program, then its arguments
    std::vector<int> startShows;
    int beeps = 0;

    int open(const std::string& target) override {
        opened.push_back(target);
        return openResult;
    }
    int readClassesRootValue(const std::string& key, std::string& value) override {
        keysRead.push_back(key);
        auto it = associations.find(key);
        if (it == associations.end()) {
            return assocresult::KeyNotFound;
        }
        value = it->second;
        return assocresult::Ok;
    }
    int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                     int show) override {
        started.push_back({program});
        started.back().insert(started.back().end(), arguments.begin(), arguments.end());
        startShows.push_back(show);
        return startResult;
    }
    void beep() override { ++beeps; }
};

}  // namespace tessaline::test
