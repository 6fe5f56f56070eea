#include "host/filter_operations.h"

#include <cstddef>

#include "dialog/config_dialog.h"
#include "engine/filter_settings.h"
#include "engine/frame_driver.h"
#include "persistence/config_line.h"

namespace lintra::host {
namespace {

FilterInstance* instanceOf(const FilterActivation* activation) {
    return activation == nullptr ? nullptr : static_cast<FilterInstance*>(activation->instanceData);
}

FrameView frameViewOf(const FrameRecord& frame) {
    return FrameView{frame.pixels, frame.width, frame.height, frame.rowGap};
}

void* moduleInstanceHandle(const FilterActivation* activation) {
    if (activation->filter == nullptr || activation->filter->module == nullptr) return nullptr;
    return activation->filter->module->instanceHandle;
}

// The platform's failure value of the modal dialog call.
constexpr int kDialogFailed = -1;

}  // namespace

// The host's storage may hold anything: the plane references are nulled here so that an end
// after a failed first start releases nothing it does not own.
int LINTRA_HOST_CALL initialiseOperation(FilterActivation* activation, const HostCallbacks*) {
    FilterInstance* instance = instanceOf(activation);
    if (instance == nullptr) return 0;
    instance->planeA = nullptr;
    instance->planeB = nullptr;
    instance->planeC = nullptr;
    return setDefaults(instance->settings);
}

int LINTRA_HOST_CALL runOperation(const FilterActivation* activation, const HostCallbacks*) {
    FilterInstance* instance = instanceOf(activation);
    if (instance == nullptr || activation->source == nullptr || activation->destination == nullptr)
        return 1;
    return runFrame(*instance, frameViewOf(*activation->source),
                    frameViewOf(*activation->destination));
}

int LINTRA_HOST_CALL configureOperation(FilterActivation* activation, const HostCallbacks*,
                                        void* parentWindow) {
    FilterInstance* instance = instanceOf(activation);
    void* module = instance == nullptr ? nullptr : moduleInstanceHandle(activation);
    if (module == nullptr) return kDialogFailed;
    return showConfigDialog(*instance, module, parentWindow);
}

void LINTRA_HOST_CALL describeOperation(const FilterActivation*, const HostCallbacks*,
                                        char* buffer) {
    if (buffer == nullptr) return;
    buffer[0] = ' ';
    buffer[1] = '\0';
}

int LINTRA_HOST_CALL startOperation(FilterActivation* activation, const HostCallbacks*) {
    FilterInstance* instance = instanceOf(activation);
    if (instance == nullptr || activation->source == nullptr) return 1;
    return startRun(*instance, frameViewOf(*activation->source));
}

int LINTRA_HOST_CALL endOperation(FilterActivation* activation, const HostCallbacks*) {
    FilterInstance* instance = instanceOf(activation);
    if (instance == nullptr) return 0;
    return endRun(*instance);
}

// Reports false, with an empty line, when the host's buffer cannot hold the whole line.
bool LINTRA_HOST_CALL saveOperation(FilterActivation* activation, const HostCallbacks*,
                                    char* buffer, int length) {
    FilterInstance* instance = instanceOf(activation);
    if (instance == nullptr || length <= 0) return false;
    return formatConfig(instance->settings, buffer, static_cast<std::size_t>(length));
}

// The interpreter has matched the call against "0iiii": four integer arguments.
void LINTRA_HOST_CALL configHandler(void*, void* activation, const ScriptArgument* arguments, int) {
    FilterInstance* instance = instanceOf(static_cast<const FilterActivation*>(activation));
    if (instance == nullptr || arguments == nullptr) return;
    parseConfig(instance->settings, arguments[0].value.integer, arguments[1].value.integer,
                arguments[2].value.integer, arguments[3].value.integer);
}

}  // namespace lintra::host
