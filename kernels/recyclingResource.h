#pragma once
// Memory for the large working arrays of one computation, handed out again
// once released: the system gives out pages zeroed and one fault at a time,
// so a computation that keeps reusing its own blocks pays for each page once.

#include <cstddef>
#include <map>
#include <memory_resource>
#include <mutex>
#include <vector>

namespace zt {

// Requests of at least `smallest` bytes are served from regions the
// resource keeps until it is destroyed: from a released block where one is
// large enough (the smallest such; its rest stays free), else from a new
// region. Released neighbouring blocks merge. Smaller requests go to the
// global heap. Every block must be released before the resource is
// destroyed. Safe to use from several threads.
class RecyclingResource : public std::pmr::memory_resource {
public:
    explicit RecyclingResource(std::size_t smallest = std::size_t(1) << 20) : smallest_(smallest) {}
    RecyclingResource(const RecyclingResource&) = delete;
    RecyclingResource& operator=(const RecyclingResource&) = delete;
    ~RecyclingResource() override;

    // Adds a free region of at least `bytes`: the requests that follow carve
    // consecutive blocks from it, which merge back into one when all are
    // released.
    void reserve(std::size_t bytes);

    // Bytes of all regions made so far.
    std::size_t regionBytes() const;

    // Requests below this many bytes go to the global heap.
    std::size_t smallest() const { return smallest_; }

private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* p, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }

    static constexpr std::size_t kPage = 4096;
    static std::size_t pages(std::size_t bytes) { return (bytes + kPage - 1) / kPage * kPage; }
    std::byte* newRegion(std::size_t bytes);
    void release(std::byte* p, std::size_t bytes);

    std::size_t smallest_;
    mutable std::mutex mutex_;
    std::vector<std::pair<std::byte*, std::size_t>> regions_;
    std::map<std::byte*, std::size_t> free_;  // free blocks by address
};

}  // namespace zt
