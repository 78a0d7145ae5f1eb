/* Control ids shared by the thirteen symbology parameter dialogs ("Code39Dlg" ...
   "TelepenDlg"), read by their templates and their logic. Check boxes count from 101 and
   radio buttons from 301 in each dialog; which bit each stands for is in the dialog table. */
#pragma once

#define IDC_SYMBOLOGY_CHECK 101
#define IDC_SYMBOLOGY_RADIO 301
#define IDC_SYMBOLOGY_LABEL1 401  /* "Max Länge :" or "feste Länge 1:" */
#define IDC_SYMBOLOGY_LABEL2 402  /* "Min Länge :" or "feste Länge 2:" */
#define IDC_SYMBOLOGY_LENGTH1 501 /* first fixed length, or maximum */
#define IDC_SYMBOLOGY_LENGTH2 502 /* second fixed length, or minimum */
