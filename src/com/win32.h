// Windows headers as this module uses them. The automation runtime's Ui has a member named
// MessageBox, which windows.h would otherwise rename to MessageBoxW in our files only.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oaidl.h>
#include <ocidl.h>

#undef MessageBox
