#include "links/HidCApi.h"

namespace vireo {

HidCApi HidCApi::system()
{
    HidCApi api;
    api.forEachFunction([](auto &member, const char *, auto function) { member = function; });
    return api;
}

} // namespace vireo
