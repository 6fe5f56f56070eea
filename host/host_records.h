#pragma once
// The host's records as this module sees them: the registration record through which the
// host reaches every operation, and the activation, frame, module and script-argument records
// the operations read. Fields the module never reads are kept as opaque placeholders so the
// offsets come out as the host lays them out on 32-bit Windows.

#include <cstddef>
#include <cstdint>

#include "engine/filter_instance.h"

// The host calls everything with the C calling convention.
#if defined(_WIN32) && !defined(_WIN64)
#define LINTRA_HOST_CALL __cdecl
#else
#define LINTRA_HOST_CALL
#endif

#if defined(_WIN32)
#define LINTRA_EXPORT __declspec(dllexport)
#else
#define LINTRA_EXPORT __attribute__((visibility("default")))
#endif

namespace lintra::host {

struct FilterDescription;

// The host's record of one loaded module; its third field is the module's instance handle.
struct ModuleRecord {
    void* hostReserved0;
    void* hostReserved1;
    void* instanceHandle;
};

// One picture as the host holds it.
struct FrameRecord {
    void* hostReserved0;
    std::uint8_t* pixels;  // first byte of the first row in memory order
    void* hostReserved1;
    void* hostReserved2;
    std::int32_t width;
    std::int32_t height;
    std::int32_t hostReserved3;
    std::int32_t rowGap;  // bytes after a row's width * 4 pixel bytes; signed
};

// What each operation is handed: which filter, its instance storage and the two frames.
struct FilterActivation {
    const FilterDescription* filter;  // the host's copy of the registration record
    void* instanceData;               // laid out as FilterInstance
    FrameRecord* destination;
    FrameRecord* source;
};

// One argument of a script call; integer arguments carry their value in `integer`.
struct ScriptArgument {
    void* hostReserved0;
    std::int32_t hostReserved1;
    union {
        std::int32_t integer;
        std::int64_t wide;
        double real;
    } value;
};

// The host passes its callbacks table as the second argument of every operation; the module
// does not use it.
struct HostCallbacks;

using InitialiseOperation = int(LINTRA_HOST_CALL*)(FilterActivation*, const HostCallbacks*);
using RunOperation = int(LINTRA_HOST_CALL*)(const FilterActivation*, const HostCallbacks*);
using ConfigureOperation = int(LINTRA_HOST_CALL*)(FilterActivation*, const HostCallbacks*,
                                                  void* parentWindow);
using TextOperation = void(LINTRA_HOST_CALL*)(const FilterActivation*, const HostCallbacks*,
                                              char* buffer);
using StartOperation = int(LINTRA_HOST_CALL*)(FilterActivation*, const HostCallbacks*);
using EndOperation = int(LINTRA_HOST_CALL*)(FilterActivation*, const HostCallbacks*);
using SaveOperation = bool(LINTRA_HOST_CALL*)(FilterActivation*, const HostCallbacks*, char* buffer,
                                              int length);
using ScriptHandler = void(LINTRA_HOST_CALL*)(void* interpreter, void* activation,
                                              const ScriptArgument* arguments, int argumentCount);

struct ScriptFunctionEntry {
    ScriptHandler handler;
    const char* name;
    const char* prototype;
};

struct ScriptObject {
    void* hostReserved0;
    const ScriptFunctionEntry* functions;  // ends with an all-null entry
    void* hostReserved1;
    void* hostReserved2;
};

// The registration record: 18 pointer-sized fields.
struct FilterDescription {
    void* hostReserved0;
    void* hostReserved1;
    ModuleRecord* module;  // null in ours; set in the copy the host passes back
    const char* name;
    const char* description;
    const char* maker;
    void* hostReserved2;
    std::intptr_t instanceSize;
    InitialiseOperation initialise;
    void* hostReserved3;
    RunOperation run;
    void* changeFormat;  // null: the destination keeps the source's size
    ConfigureOperation configure;
    TextOperation describe;
    StartOperation start;
    EndOperation end;
    const ScriptObject* script;
    SaveOperation save;
};

// The host's table of operations handed to both entry points: the first adds a filter and
// returns a handle (null on failure), the second removes it again.
using AddFilter = void*(LINTRA_HOST_CALL*)(ModuleRecord* module, FilterDescription* description,
                                           int descriptionSize);
using RemoveFilter = void(LINTRA_HOST_CALL*)(void* handle);

struct HostFunctionTable {
    AddFilter addFilter;
    RemoveFilter removeFilter;
};

using ModuleInit = int(LINTRA_HOST_CALL*)(ModuleRecord* module, const HostFunctionTable* host,
                                          std::int32_t* outVersion,
                                          std::int32_t* outCompatibleVersion);
using ModuleDeinit = void(LINTRA_HOST_CALL*)(ModuleRecord* module, const HostFunctionTable* host);

inline constexpr std::int32_t kInterfaceVersion = 6;
inline constexpr std::int32_t kCompatibleInterfaceVersion = 4;

#if UINTPTR_MAX == 0xFFFFFFFFu
// The 32-bit layout the host fixes.
static_assert(sizeof(FilterDescription) == 72);
static_assert(offsetof(FilterDescription, module) == 8);
static_assert(offsetof(FilterDescription, instanceSize) == 28);
static_assert(offsetof(FilterDescription, initialise) == 32);
static_assert(offsetof(FilterDescription, run) == 40);
static_assert(offsetof(FilterDescription, configure) == 48);
static_assert(offsetof(FilterDescription, script) == 64);
static_assert(offsetof(FilterDescription, save) == 68);
static_assert(sizeof(FilterInstance) == 56);
static_assert(offsetof(FrameRecord, pixels) == 4);
static_assert(offsetof(FrameRecord, width) == 16);
static_assert(offsetof(FrameRecord, height) == 20);
static_assert(offsetof(FrameRecord, rowGap) == 28);
static_assert(offsetof(ModuleRecord, instanceHandle) == 8);
static_assert(offsetof(FilterActivation, instanceData) == 4);
static_assert(offsetof(FilterActivation, destination) == 8);
static_assert(offsetof(FilterActivation, source) == 12);
static_assert(sizeof(ScriptArgument) == 16);
static_assert(offsetof(ScriptArgument, value) == 8);
static_assert(sizeof(ScriptFunctionEntry) == 12);
static_assert(sizeof(ScriptObject) == 16);
static_assert(offsetof(HostFunctionTable, removeFilter) == 4);
#endif

}  // namespace lintra::host
