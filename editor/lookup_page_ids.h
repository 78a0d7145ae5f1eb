/* Control ids of the lookup page "LOOKUPDLG", read by its template and its logic. */
#pragma once

#define IDC_LOOKUP_LOADABLE 101      /* "Lookupdatei kann geladen werden" */
#define IDC_LOOKUP_DEFAULTS 201      /* "Grundeinstellungen" */
#define IDC_LOOKUP_KEY 301           /* 301-308: "Schlüsselfeld" of the fields #1-#8 */
#define IDC_LOOKUP_FIXED 311         /* "feste Länge" */
#define IDC_LOOKUP_SEPARATED 312     /* "Trennzeichen" */
#define IDC_LOOKUP_LENGTH_LABEL 401  /* "   Länge" or "Max Länge" above the lengths */
#define IDC_LOOKUP_START 501         /* 501-508: "ab Position" of the fields #1-#8 */
#define IDC_LOOKUP_RECORD_LENGTH 509 /* "Feldlänge :" */
#define IDC_LOOKUP_LENGTH 511        /* 511-518: length of the fields #1-#8 */
#define IDC_LOOKUP_SEPARATOR 519     /* the separator's code, beside "(ASCII)" */
#define IDC_LOOKUP_FIELD_COUNT 601   /* "Anzahl Felder :" */
#define IDC_LOOKUP_NOT_FOUND 602     /* "Aktion, falls Datensatz nicht gefunden wurde :" */
#define IDC_LOOKUP_FILE 690          /* "Name :" */
