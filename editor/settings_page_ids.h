/* Control ids of the settings page "SETTINGSDLG", read by its template and its logic. */
#pragma once

#define IDC_SETTINGS_AREA 101     /* 101-112: "Passwortgeschützte Bereiche", in table order */
#define IDC_SETTINGS_WEDGE 201    /* "Tastatureinstellungen" */
#define IDC_SETTINGS_SYSTEM 202   /* "Systemeinstellungen" */
#define IDC_SETTINGS_DEFAULTS 203 /* "Grundeinstellungen" */
#define IDC_SETTINGS_ALL 204      /* "alle auswählen" */
#define IDC_SETTINGS_NONE 205     /* "alle entfernen" */
#define IDC_SETTINGS_PASSWORD 501 /* "Passwort für Sicherheitsprüfung (max 10 Zeichen) :" */
#define IDC_SETTINGS_KEY 601      /* "Function Key setzen :" */
#define IDC_SETTINGS_FUNCTION 602 /* "mit :" */
