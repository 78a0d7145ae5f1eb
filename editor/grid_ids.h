/* Control ids of "GridDlg", read by its template and its logic. */
#pragma once

#define IDC_GRID_CELLS 401  /* the painted 16 x 16 grid */
#define IDC_GRID_RESULT 402 /* "Resultierender Text :", painted */
#define IDC_GRID_CLEAR 201  /* "Löschen" */
