#include "host/filter_description.h"

#include "host/filter_operations.h"

namespace lintra::host {
namespace {

constexpr ScriptFunctionEntry kScriptFunctions[] = {
    {configHandler, "Config", "0iiii"},
    {nullptr, nullptr, nullptr},
};

constexpr ScriptObject kScriptObject = {nullptr, kScriptFunctions, nullptr, nullptr};

FilterDescription description = {
    nullptr,
    nullptr,
    nullptr,
    "Lintra 1.0",
    " ",
    "Orvane",
    nullptr,
    static_cast<std::intptr_t>(sizeof(FilterInstance)),
    initialiseOperation,
    nullptr,
    runOperation,
    nullptr,
    configureOperation,
    describeOperation,
    startOperation,
    endOperation,
    &kScriptObject,
    saveOperation,
};

}  // namespace

FilterDescription& filterDescription() {
    return description;
}

}  // namespace lintra::host
