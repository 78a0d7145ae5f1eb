/* Control ids of the barcode page "BARCODESETTINGDLG", read by its template and its logic. */
#pragma once

#define IDC_BARCODE_CODE39 101 /* enable boxes 101-111, 113-121, 123 in row order */
#define IDC_BARCODE_ITALIAN 102
#define IDC_BARCODE_FRENCH 103
#define IDC_BARCODE_INDUSTRIAL 104
#define IDC_BARCODE_INTERLEAVE 105
#define IDC_BARCODE_MATRIX 106
#define IDC_BARCODE_CODABAR 107
#define IDC_BARCODE_MSI 108
#define IDC_BARCODE_PLESSEY 109
#define IDC_BARCODE_CODE93 110
#define IDC_BARCODE_CODE128 111
#define IDC_BARCODE_UPCE 113     /* 113-115: "UPCE", "UPCE  Addon 2", "UPCE  Addon 5" */
#define IDC_BARCODE_EAN8 116     /* 116-118: "EAN8" and its add-ons */
#define IDC_BARCODE_EAN13 119    /* 119-121: "EAN13  &&  UPCA" and the EAN13 add-ons */
#define IDC_BARCODE_INVERTED 122 /* "Invertierter Barcode" */
#define IDC_BARCODE_TELEPEN 123
#define IDC_BARCODE_PARAMETER 201 /* "Parameter" buttons 201-209, 213, 216, 219, 223: the box's row + 100 */
#define IDC_BARCODE_DEFAULTS 224  /* "Grundeinstellungen" */
#define IDC_BARCODE_TIMEOUT 501   /* "Time out :" */
#define IDC_BARCODE_SCAN_MODE 601 /* "Scanmodus :" */
#define IDC_BARCODE_SECURITY 602  /* "Dekodiersicherheit :" */
