#include "FrameCopies.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace framecopies {

namespace {

struct Copy {
    const void* owner;
    std::unique_ptr<BYTE[]> pixels;
};

struct Registry {
    std::mutex mutex;
    std::vector<Copy> copies;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

}  // namespace

BYTE* store(const void* owner, const BYTE* pixels, std::size_t bytes)
{
    std::unique_ptr<BYTE[]> copy(new BYTE[bytes == 0 ? 1 : bytes]);
    if (bytes)
        std::memcpy(copy.get(), pixels, bytes);
    BYTE* address = copy.get();
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.copies.push_back({owner, std::move(copy)});
    return address;
}

std::unique_ptr<BYTE[]> take(const void* owner, const BYTE* address)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = std::find_if(r.copies.begin(), r.copies.end(), [&](const Copy& c) {
        return c.owner == owner && c.pixels.get() == address;
    });
    if (it == r.copies.end())
        return nullptr;
    std::unique_ptr<BYTE[]> pixels = std::move(it->pixels);
    r.copies.erase(it);
    return pixels;
}

void discard(const void* owner)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.copies.erase(std::remove_if(r.copies.begin(), r.copies.end(),
                                  [&](const Copy& c) { return c.owner == owner; }),
                   r.copies.end());
}

int count(const void* owner)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return static_cast<int>(std::count_if(r.copies.begin(), r.copies.end(),
                                          [&](const Copy& c) { return c.owner == owner; }));
}

}  // namespace framecopies
