#pragma once
// The operations the host calls through the registration record. Each turns the host's
// records into the engine's types and calls the engine, the settings line or the dialog.

#include "host/host_records.h"

namespace lintra::host {

int LINTRA_HOST_CALL initialiseOperation(FilterActivation* activation, const HostCallbacks*);
int LINTRA_HOST_CALL runOperation(const FilterActivation* activation, const HostCallbacks*);
int LINTRA_HOST_CALL configureOperation(FilterActivation* activation, const HostCallbacks*,
                                        void* parentWindow);
void LINTRA_HOST_CALL describeOperation(const FilterActivation*, const HostCallbacks*,
                                        char* buffer);
int LINTRA_HOST_CALL startOperation(FilterActivation* activation, const HostCallbacks*);
int LINTRA_HOST_CALL endOperation(FilterActivation* activation, const HostCallbacks*);
bool LINTRA_HOST_CALL saveOperation(FilterActivation* activation, const HostCallbacks*,
                                    char* buffer, int length);
void LINTRA_HOST_CALL configHandler(void* interpreter, void* activation,
                                    const ScriptArgument* arguments, int argumentCount);

}  // namespace lintra::host
