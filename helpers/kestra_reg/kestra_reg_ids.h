// String ids of KestraReg.exe; shared by its resource script, the program and the tests.
#pragma once

#define IDS_REG_CAPTION 1
#define IDS_REG_TEXT 2
