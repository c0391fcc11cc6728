#pragma once
// Ownership of the Aravis (GObject) objects and GLib errors the backend uses, so every
// early return releases what it took.
#include <arv.h>

#include <memory>
#include <string>

namespace vexo::sdk::aravis {

struct GObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};

template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Collects the GError of one Aravis call; the error is freed with the holder.
class GErrorHolder {
public:
    GErrorHolder() = default;
    ~GErrorHolder() { clear(); }
    GErrorHolder(const GErrorHolder&) = delete;
    GErrorHolder& operator=(const GErrorHolder&) = delete;

    // Pass to an Aravis call; an earlier error is dropped first.
    GError** out()
    {
        clear();
        return &error;
    }
    bool failed() const { return error != nullptr; }
    std::string message() const { return error ? std::string(error->message) : std::string(); }
    int code() const { return error ? error->code : 0; }
    GQuark domain() const { return error ? error->domain : 0; }
    void clear()
    {
        if (error)
            g_error_free(error);
        error = nullptr;
    }

private:
    GError* error = nullptr;
};

}  // namespace vexo::sdk::aravis
