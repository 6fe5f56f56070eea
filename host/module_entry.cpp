// The two entry points the host finds by name: registration on load, withdrawal on unload.

#include "host/filter_description.h"
#include "host/host_records.h"

namespace {

// The handle the host's add-filter operation returned; written at load, read at unload.
void* registrationHandle = nullptr;

}  // namespace

extern "C" {

LINTRA_EXPORT int LINTRA_HOST_CALL VirtualdubFilterModuleInit2(
    lintra::host::ModuleRecord* module, const lintra::host::HostFunctionTable* host,
    std::int32_t* outVersion, std::int32_t* outCompatibleVersion) {
    using namespace lintra::host;
    if (host == nullptr || host->addFilter == nullptr) return 1;
    registrationHandle =
        host->addFilter(module, &filterDescription(), static_cast<int>(sizeof(FilterDescription)));
    if (registrationHandle == nullptr) return 1;
    if (outVersion != nullptr) *outVersion = kInterfaceVersion;
    if (outCompatibleVersion != nullptr) *outCompatibleVersion = kCompatibleInterfaceVersion;
    return 0;
}

// Nothing to withdraw when registration failed.
LINTRA_EXPORT void LINTRA_HOST_CALL VirtualdubFilterModuleDeinit(
    lintra::host::ModuleRecord*, const lintra::host::HostFunctionTable* host) {
    if (registrationHandle == nullptr || host == nullptr || host->removeFilter == nullptr) return;
    host->removeFilter(registrationHandle);
    registrationHandle = nullptr;
}

}  // extern "C"
