/* Control ids of the loader's "ComPropertiesDlg", read by its template and its logic. */
#pragma once

#define IDC_LOADER_PORT 101 /* "&COM port :" */
#define IDC_LOADER_RATE 102 /* "&Baud rate :" */
