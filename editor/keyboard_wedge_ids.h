/* Control ids of "KeyboardWedgeDlg", read by its template and its logic. */
#pragma once

#define IDC_WEDGE_KEYPAD 101  /* "Ziffernblock zur Übertragung von Zahlen benutzen" */
#define IDC_WEDGE_CRLF 102    /* "An jeden Datensatz CR/LF anhängen" */
#define IDC_WEDGE_FORMAT 301  /* 301-303 "Zeichenformat": "Normal", "klein", "groß" */
#define IDC_WEDGE_LOCK 304    /* 304-306 "Shift / Capital lock type" */
#define IDC_WEDGE_CAPS 307    /* 307-309 "Capital lock": "autom. Ekennung", "Immer EIN", "ignorieren" */
#define IDC_WEDGE_PAUSE 501   /* "Pause zwischen zwei Zeichen :" */
#define IDC_WEDGE_TIMEOUT 502 /* "Verbindungs-Time-out :" */
#define IDC_WEDGE_TYPE 601    /* "Tastatur / Terminal Typ :" */
