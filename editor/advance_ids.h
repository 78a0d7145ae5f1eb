/* Control ids of the line detail dialogs "AdvanceDlg" and "LookupAdvanceDlg", read by their
   templates and their logic. */
#pragma once

/* Both dialogs. */
#define IDC_LINE_FORM 401         /* "Maske #" and the form number */
#define IDC_LINE_LINE 402         /* "Zeile #" and the line number */
#define IDC_LINE_PREFIX_FIELD 503 /* read-only; a click opens the grid */
#define IDC_LINE_SUFFIX_FIELD 504

/* AdvanceDlg ("Eigenschaften"). */
#define IDC_ADV_FIXED 101        /* "feste Datenlänge" */
#define IDC_ADV_DEFAULT 102      /* "Voreinstellung" */
#define IDC_ADV_PREFIX 103       /* "Präfix" */
#define IDC_ADV_SUFFIX 104       /* "Suffix" */
#define IDC_ADV_FILL 105         /* "Füllzeichen" */
#define IDC_ADV_SUBSTRING 111    /* "Teilstring aus Barcode" */
#define IDC_ADV_CHECK_PREFIX 114 /* "Präfix prüfen" */
#define IDC_ADV_LENGTH 501
#define IDC_ADV_DEFAULT_VALUE 502
#define IDC_ADV_FILL_CHAR 505
#define IDC_ADV_START 512 /* "Startposition :" */
#define IDC_ADV_COUNT 513 /* "Anzahl Zeichen :" */
#define IDC_ADV_CHECK_TEXT 514
#define IDC_ADV_JUSTIFY 601
#define IDC_ADV_AUTO_ENTER 615 /* "Auto ENTER :" */

/* LookupAdvanceDlg ("Einstellungen"). */
#define IDC_LKADV_STORE 101 /* "Felddaten speichern" */
#define IDC_LKADV_FIXED 102 /* "feste Länge" */
#define IDC_LKADV_PREFIX 103
#define IDC_LKADV_SUFFIX 104
#define IDC_LKADV_LENGTH 502
#define IDC_LKADV_JUSTIFY 602
