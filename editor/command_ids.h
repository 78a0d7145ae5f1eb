/* The generator's commands: the popup menu "PopMenuKEST", the accelerators and the
   commands posted to the main window. One list, read by the resource script and the code
   (the C preprocessor of the resource compiler reads #define lines only). */
#pragma once

#define IDM_NEW 1010
#define IDM_OPEN 1020
#define IDM_SAVE 1030
#define IDM_SAVE_AS 1040
#define IDM_EXIT 1090
#define IDM_EDIT 2000
#define IDM_COM_SETTINGS 2100
#define IDM_DOWNLOAD_DIRECT 3020
#define IDM_DOWNLOAD_CRADLE 3021
#define IDM_UPLOAD_DIRECT 3030
#define IDM_UPLOAD_CRADLE 3031
#define IDM_LOOKUP_DIRECT 3040
#define IDM_LOOKUP_CRADLE 3041
#define IDM_HELP_CONTENTS 9010
#define IDM_HELP_FINDER 9020
#define IDM_ABOUT 9030
