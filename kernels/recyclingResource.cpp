#include "kernels/recyclingResource.h"

#include <new>

namespace zt {

RecyclingResource::~RecyclingResource() {
    for (const auto& [p, bytes] : regions_) ::operator delete(p, bytes, std::align_val_t(kPage));
}

std::byte* RecyclingResource::newRegion(std::size_t bytes) {
    auto* p = static_cast<std::byte*>(::operator new(bytes, std::align_val_t(kPage)));
    regions_.emplace_back(p, bytes);
    return p;
}

void RecyclingResource::reserve(std::size_t bytes) {
    if (bytes == 0) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t size = pages(bytes);
    release(newRegion(size), size);
}

std::size_t RecyclingResource::regionBytes() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::size_t total = 0;
    for (const auto& region : regions_) total += region.second;
    return total;
}

void* RecyclingResource::do_allocate(std::size_t bytes, std::size_t alignment) {
    if (bytes < smallest_ || alignment > kPage)
        return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    const std::size_t size = pages(bytes);
    const std::lock_guard<std::mutex> lock(mutex_);
    auto best = free_.end();
    for (auto it = free_.begin(); it != free_.end(); ++it)
        if (it->second >= size && (best == free_.end() || it->second < best->second)) best = it;
    if (best == free_.end()) return newRegion(size);
    std::byte* p = best->first;
    const std::size_t rest = best->second - size;
    free_.erase(best);
    if (rest > 0) free_.emplace(p + size, rest);
    return p;
}

void RecyclingResource::do_deallocate(void* p, std::size_t bytes, std::size_t alignment) {
    if (bytes < smallest_ || alignment > kPage) {
        std::pmr::new_delete_resource()->deallocate(p, bytes, alignment);
        return;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    release(static_cast<std::byte*>(p), pages(bytes));
}

void RecyclingResource::release(std::byte* p, std::size_t size) {
    auto it = free_.emplace(p, size).first;
    auto next = std::next(it);
    if (next != free_.end() && it->first + it->second == next->first) {
        it->second += next->second;
        free_.erase(next);
    }
    if (it != free_.begin()) {
        auto previous = std::prev(it);
        if (previous->first + previous->second == it->first) {
            previous->second += it->second;
            free_.erase(it);
        }
    }
}

}  // namespace zt
