/* Control ids of "LookupCsvDlg", read by its template and its logic. */
#pragma once

#define IDC_TABLE_HEADER 101    /* "&Erste Zeile enthält Spaltennamen" */
#define IDC_TABLE_RESULT 401    /* records, or why the table cannot be sent */
#define IDC_TABLE_LOOKUP 601    /* "&Lookupdatei :" */
#define IDC_TABLE_SEPARATOR 602 /* "&Trennzeichen der Tabelle :" */
