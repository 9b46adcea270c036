#include "usb/hid_seam.h"

#include "usb/hidapi_backend.h"

#include <atomic>

namespace hid {

namespace {
std::atomic<Backend *> installed{nullptr};

Backend &hidapiBackend()
{
    static HidapiBackend instance;
    return instance;
}
} // namespace

Backend &backend()
{
    Backend *b = installed.load();
    return b ? *b : hidapiBackend();
}

void setBackend(Backend *b)
{
    installed.store(b);
}

} // namespace hid
