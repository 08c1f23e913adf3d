#pragma once

#include <cstddef>
#include <map>

namespace tessaline {

// Faults a test can arm on what the instrument takes in: parameter changes that are lost on
// the way, as on a cable that drops a message now and then.
class IncomingFaults {
  public:
    // More addresses than any test arms at once: the table stays small whatever a user types.
    static constexpr std::size_t kMaxAddresses = 64;

    // The n-th parameter change from now is dropped (1: the next one); 0 disarms.
    void dropNthParameterChange(int n) { countdown_ = n > 0 ? n : 0; }
    // The next `times` parameter changes that start at `address` are dropped; every one while
    // times < 0; 0 disarms that address. Each address keeps its own count. False (and nothing
    // armed) when kMaxAddresses others are armed already.
    bool dropParameterChangesTo(unsigned address, int times) {
        if (times == 0) {
            addresses_.erase(address);
            return true;
        }
        if (addresses_.size() >= kMaxAddresses && addresses_.count(address) == 0) {
            return false;
        }
        addresses_[address] = times;
        return true;
    }
    void clear() { *this = IncomingFaults(); }

    // Called once for each parameter change received; true when it is to be dropped.
    bool drops(unsigned address) {
        bool drop = false;
        if (countdown_ > 0 && --countdown_ == 0) {
            drop = true;
        }
        auto armed = addresses_.find(address);
        if (armed != addresses_.end()) {
            drop = true;
            if (armed->second > 0 && --armed->second == 0) {
                addresses_.erase(armed);
            }
        }
        return drop;
    }

  private:
    int countdown_ = 0;
    std::map<unsigned, int> addresses_;  // address -> drops left, < 0 for every one
};

}  // namespace tessaline
