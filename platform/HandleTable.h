#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace tessaline {

// The open ports of a service by handle. Numbers are handed out once each and never 0, the
// closed handle. Look-up works from any thread and gives a shared entry, so that a call in
// progress keeps its port while another thread closes it. Removal hands the entry to the
// caller, who closes it outside the table's lock: a delivery thread may be in a callback that
// calls back into the service.
template <typename Handle, typename Entry>
class HandleTable {
  public:
    // A number for a port that is still being opened (its callback needs it first).
    Handle reserve() {
        std::lock_guard guard(mutex_);
        return static_cast<Handle>(next_++);
    }
    void insert(Handle handle, std::shared_ptr<Entry> entry) {
        std::lock_guard guard(mutex_);
        entries_[key(handle)] = std::move(entry);
    }
    Handle add(std::shared_ptr<Entry> entry) {
        std::lock_guard guard(mutex_);
        const std::uintptr_t id = next_++;
        entries_[id] = std::move(entry);
        return static_cast<Handle>(id);
    }

    std::shared_ptr<Entry> find(Handle handle) const {
        std::lock_guard guard(mutex_);
        auto it = entries_.find(key(handle));
        return it == entries_.end() ? nullptr : it->second;
    }
    bool contains(Handle handle) const { return find(handle) != nullptr; }
    // Every open entry, in the order they were opened.
    std::vector<std::shared_ptr<Entry>> entries() const {
        std::lock_guard guard(mutex_);
        std::vector<std::shared_ptr<Entry>> all;
        for (const auto& [id, entry] : entries_) {
            all.push_back(entry);
        }
        return all;
    }
    // Calls visit(Entry&) for each entry under the table's lock; visit must not call back into
    // the table.
    template <typename Visit>
    void forEach(Visit&& visit) const {
        std::lock_guard guard(mutex_);
        for (const auto& [id, entry] : entries_) {
            visit(*entry);
        }
    }

    // Removes the entry and hands it over; null when the handle is not open.
    std::shared_ptr<Entry> take(Handle handle) {
        std::lock_guard guard(mutex_);
        auto it = entries_.find(key(handle));
        if (it == entries_.end()) {
            return nullptr;
        }
        std::shared_ptr<Entry> entry = std::move(it->second);
        entries_.erase(it);
        return entry;
    }
    std::vector<std::shared_ptr<Entry>> takeAll() {
        std::lock_guard guard(mutex_);
        std::vector<std::shared_ptr<Entry>> all;
        for (auto& [id, entry] : entries_) {
            all.push_back(std::move(entry));
        }
        entries_.clear();
        return all;
    }
    bool erase(Handle handle) { return take(handle) != nullptr; }

  private:
    static std::uintptr_t key(Handle handle) { return static_cast<std::uintptr_t>(handle); }

    mutable std::mutex mutex_;
    std::uintptr_t next_ = 1;
    std::map<std::uintptr_t, std::shared_ptr<Entry>> entries_;
};

}  // namespace tessaline
