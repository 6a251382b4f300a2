#pragma once
// Stands in for what comstub.idl declares: the system's own COM headers.
#include <windows.h>
#include <ole2.h>
#include <oaidl.h>
#include <ocidl.h>
