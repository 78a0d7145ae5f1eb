/* Control ids of the startup page "STARTUPDLG", read by its template and its logic. Row r
   (0-7) of the text area has the ids of row 1 plus r; delimiter 2 those of delimiter 1
   plus 1. */
#pragma once

#define IDC_STARTUP_LARGE_TITLES 101 /* "Für alle Überschriften große Schriftarten verwenden" */
#define IDC_STARTUP_IMPORT 201       /* "Import Prompts and Messages ..." */
#define IDC_STARTUP_DEFAULTS 202     /* "Grundeinstellungen" */
#define IDC_STARTUP_GUIDE 411        /* the default text of row 1, as a guide */
#define IDC_STARTUP_CODE 501         /* "ASCII :" of delimiter 1 */
#define IDC_STARTUP_CHAR 503         /* "Text :" of delimiter 1 */
#define IDC_STARTUP_ROW 511          /* the project's text of row 1 */
#define IDC_STARTUP_COUNT 601        /* "Anzahl Trennzeichen :" */
#define IDC_STARTUP_TABLE 610        /* "Menüs und Meldungen" */
#define IDC_STARTUP_START 690        /* "Programm startet von :" */
