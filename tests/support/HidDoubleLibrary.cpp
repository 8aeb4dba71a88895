#include "support/HidDoubleLibrary.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace vireo::test {

namespace {

[[noreturn]] void fail(const char *what, const char *detail)
{
    std::fprintf(stderr, "HID stand-in: %s: %s\n", what, detail != nullptr ? detail : "");
    std::abort();
}

} // namespace

HidDoubleLibrary &HidDoubleLibrary::instance()
{
    static HidDoubleLibrary library;
    return library;
}

HidDoubleLibrary::HidDoubleLibrary()
{
    // Never unloaded: reader threads and handles may still call into it at exit.
    void *handle = ::dlopen(VIREO_HID_DOUBLE, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        fail("cannot load " VIREO_HID_DOUBLE, ::dlerror());
    m_api.forEachFunction([handle](auto &member, const char *name, auto) {
        using Function = std::remove_reference_t<decltype(member)>;
        member = reinterpret_cast<Function>(::dlsym(handle, name));
        if (member == nullptr)
            fail("missing function", name);
    });
    using Control = HidDoubleControl *(*)();
    const auto control = reinterpret_cast<Control>(::dlsym(handle, "vireo_hid_double_control"));
    if (control == nullptr)
        fail("missing function", "vireo_hid_double_control");
    m_control = control();
}

} // namespace vireo::test
