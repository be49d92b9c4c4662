// Resource numbers of T824UIS.exe, the printer's remover. The program group's link names come
// from the installer's numbers (install/res/resource.h, install/res/link_names.rc).
#pragma once

#define IDI_REMOVER 128

#define IDS_REMOVER_TITLE 300
#define IDS_REMOVER_CONFIRM 301
#define IDS_REMOVER_JOBS 302
#define IDS_REMOVER_DONE 303
#define IDS_REMOVER_DONE_RESTART 304
#define IDS_REMOVER_FAILED 305
#define IDS_REMOVER_NOTHING 306
#define IDS_REMOVER_BUSY 307
#define IDS_REMOVER_USAGE 308
