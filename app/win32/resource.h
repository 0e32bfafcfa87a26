#pragma once

// Resource ids of the Windows program.
#define IDD_EXPORT 102
#define IDI_APPLICATION_ICON 128
