// Resource identifiers of the plug-in, shared by the resource script and the code.
#pragma once

#define IDS_CLASS_NAME 100
#define IDS_PROXY_CLASS_NAME 101

#define IDD_ZENITHRA_MAIN 1000
#define IDD_ZENITHRA_SLOT 1700
