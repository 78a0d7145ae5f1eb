/* Control ids of the form page "FORMDLG", read by its template and its logic. Line f
   (0-7, "#1" to "#8") of a per-line control has the id of line 1 plus f. */
#pragma once

#define IDC_FORM_TYPE 601        /* "Datentyp" combo of line 1 */
#define IDC_FORM_SOURCE 611      /* "Datenquelle" combo */
#define IDC_FORM_LOOKUP 621      /* "Lookup" column combo */
#define IDC_FORM_PROMPT 501      /* "Displayanzeige" edit */
#define IDC_FORM_MIN 511         /* "Min Länge" edit */
#define IDC_FORM_MAX 521         /* "Max Länge" edit */
#define IDC_FORM_MORE 201        /* "mehr..." button */
#define IDC_FORM_STAMP 210       /* "Zeitzusatz" */
#define IDC_FORM_RESET 211       /* "Grundeinstellungen" */
#define IDC_FORM_NAME 690        /* "Name :" */
#define IDC_FORM_FONT 691        /* "Schriftart :" */
#define IDC_FORM_ESC 692         /* "Esc  :" */
#define IDC_FORM_NEXT 693        /* "Nächste Aktion :" */
#define IDC_FORM_LOOKUP_FILE 694 /* "Lookupdatei :" */
#define IDC_FORM_RECORD 695      /* "Datensatz :" */
