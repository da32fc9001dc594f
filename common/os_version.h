#pragma once
// True when RtlGetVersion of ntdll.dll reports the NT platform. Looked up at run
// time on every call, as the refresh rate's part in matching depends on it.
bool IsNtPlatform();
