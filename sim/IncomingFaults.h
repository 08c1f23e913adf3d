#pragma once

namespace tessaline {

// Faults a test can arm on what the instrument takes in: parameter changes that are lost on
// the way, as on a cable that drops a message now and then.
class IncomingFaults {
  public:
    // The n-th parameter change from now is dropped (1: the next one); 0 disarms.
    void dropNthParameterChange(int n) { countdown_ = n > 0 ? n : 0; }
    // The next `times` parameter changes that start at `address` are dropped; every one while
    // times < 0.
    void dropParameterChangesTo(unsigned address, int times) {
        address_ = address;
        addressTimes_ = times;
    }
    void clear() { *this = IncomingFaults(); }

    // Called once for each parameter change received; true when it is to be dropped.
    bool drops(unsigned address) {
        bool drop = false;
        if (countdown_ > 0 && --countdown_ == 0) {
            drop = true;
        }
        if (addressTimes_ != 0 && address == address_) {
            drop = true;
            if (addressTimes_ > 0) {
                --addressTimes_;
            }
        }
        return drop;
    }

  private:
    int countdown_ = 0;
    unsigned address_ = 0;
    int addressTimes_ = 0;
};

}  // namespace tessaline
