#pragma once
// <windows.h> for this project: wide functions, and the macros that would rename
// the platform interface's methods (OpenSCManager, CreateService, ...) removed.
// Include this instead of <windows.h> everywhere.

#include <windows.h>

#undef OpenSCManager
#undef OpenService
#undef EnumServicesStatus
#undef EnumDependentServices
#undef QueryServiceConfig
#undef QueryServiceConfig2
#undef ChangeServiceConfig
#undef ChangeServiceConfig2
#undef StartService
#undef CreateService
#undef RegConnectRegistry
#undef RegOpenKeyEx
#undef RegCreateKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegDeleteValue
#undef RegDeleteTree
#undef GetComputerName
#undef LookupAccountName
#undef GetLogicalDriveStrings
#undef GetDriveType
#undef CopyFile
#undef CreateDirectory
#undef FormatMessage
#undef LoadLibrary
#undef MessageBox
#undef GetMessage
#undef PostMessage
#undef SendMessage
#undef CreateWindow
#undef DrawText
#undef LoadIcon
#undef LoadImage
#undef GetObject
#undef SetWindowText
#undef GetWindowText
#undef WriteFile
#undef DeleteFile
#undef CreateFile
