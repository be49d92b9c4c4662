// String-table ids of the uninstall procedure's messages (UninstallText). Plain numbers:
// included by the resource script and by the Windows side that loads the texts.
#pragma once

#define IDS_NOTHING_TO_UNINSTALL 1001  // "%s" = the monitor's full path
#define IDS_TOOL_RUNNING 1002          // "%s" = the window title or program found
#define IDS_UNINSTALL_FINISHED 1003
#define IDS_UNINSTALL_USAGE 1004  // the command line's usage (/?)
#define IDS_FOLDER_REFUSED 1005   // "%s" = an install folder the uninstaller will not delete from
#define IDS_FILES_LEFT 1006       // the removal ended with files it could not delete
