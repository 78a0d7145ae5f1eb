/* Control ids of "SystemSettingsDlg", read by its template and its logic. */
#pragma once

#define IDC_SYSTEM_TIME_CHOICE 301    /* "Anzeige für :" */
#define IDC_SYSTEM_KEY_CHOICE 302     /* "Taste drücken nach Quittung" */
#define IDC_SYSTEM_PHONE 501          /* telephone number, for a send port the list lacks */
#define IDC_SYSTEM_BACKLIGHT_TIME 504 /* "Beleuchtung aus nach :" */
#define IDC_SYSTEM_ACK_TIME 506       /* "(1 ~ 99) x 100 ms" */
#define IDC_SYSTEM_SEND_PORT 601      /* "1.  Sendeport" */
#define IDC_SYSTEM_RECEIVE_PORT 602   /* "2.  Empfangsport" */
#define IDC_SYSTEM_BAUD_RATE 603      /* "3.  Baudrate" */
#define IDC_SYSTEM_BACKLIGHT 604      /* "4.  Hintergrundbeleuchtung" */
#define IDC_SYSTEM_DELETE 605         /* "5.  Daten löschen nach Senden" */
#define IDC_SYSTEM_ACK_DISPLAY 606    /* "6.  Quittierungsoptionen" */
