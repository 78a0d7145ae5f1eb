/* Control ids of "DateTimeStampDlg", read by its template and its logic. */
#pragma once

#define IDC_STAMP_SPLIT 101       /* "DATUM und ZEIT Zusatz in zwei Felder aufteilen" */
#define IDC_STAMP_YEAR 102        /* "Jahr" */
#define IDC_STAMP_MONTH 103       /* "Monat" */
#define IDC_STAMP_DAY 104         /* "Tag" */
#define IDC_STAMP_DATE_SEP_ON 105 /* "Trennzeichen" */
#define IDC_STAMP_HOUR 111        /* "Stunde" */
#define IDC_STAMP_MINUTE 112      /* "Minute" */
#define IDC_STAMP_SECOND 113      /* "Sekunde" */
#define IDC_STAMP_TIME_SEP_ON 114 /* "Trennzeichen" */
#define IDC_STAMP_DATE_SEP 505
#define IDC_STAMP_TIME_SEP 514
#define IDC_STAMP_POSITION 601 /* "Datum && Zeit Zusatz :" */
#define IDC_STAMP_YEAR_DIGITS 602
#define IDC_STAMP_ORDER 606      /* "Stil :" */
#define IDC_STAMP_DATE_GROUP 901 /* "Datumformat :", caption rewritten */
#define IDC_STAMP_TIME_GROUP 902 /* "Zeitformat :", caption rewritten */
