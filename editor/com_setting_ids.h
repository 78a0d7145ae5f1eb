/* Control ids of "ComSettingDlg", read by its template and its logic. */
#pragma once

#define IDC_COM_PORT 601 /* "&COM port :" */
#define IDC_BAUDRATE 602 /* "&Baudrate :" */
