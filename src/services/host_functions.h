#pragma once

#include <span>
#include <string_view>

#include <vistrel/service.h>

class ServiceHost;

// The host functions that service modules look up by name. Main thread only; nothing here is
// locked. No exception leaves a host function: failures become result codes.

// The host function of exactly that name (case-sensitive), null when unknown. Consumes `name`.
// The addresses stay the same for the whole run.
VistrelHostProc HostGetProcAddress(HostBuffer name);

// The program state the functions read and change. Without a host every function fails with 0
// (after freeing its consumed arguments), except the lookup itself, GetText and SetDllResult.
void SetServiceHost(ServiceHost* host);
ServiceHost* CurrentServiceHost();

// Every name the lookup knows, in table order; for tests.
std::span<const std::string_view> HostFunctionNames();
