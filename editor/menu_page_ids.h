/* Control ids of the menu page "MENUDLG", read by its template and its logic. Item i
   (0-9, "#1" to "#10") has the ids of item 1 plus i. */
#pragma once

#define IDC_MENU_TITLE_ON 101      /* "Menü-Überschrift" */
#define IDC_MENU_SAVE_TITLE 102    /* "Überschrift speichern (als einzelnen Datensatz)" */
#define IDC_MENU_SAVE_ITEM 103     /* "Menüpunkt speichern (als einzelnen Datensatz)" */
#define IDC_MENU_ITEM_IN_EACH 104  /* "Menüpunkt speichern (in jedem Datensatz)" */
#define IDC_MENU_SEPARATE_FILE 105 /* "gesammelte Daten für jede Maske in eine separate Datei speichern" */
#define IDC_MENU_DEFAULTS 201      /* "Grundeinstellungen" */
#define IDC_MENU_ITEM 501          /* "Anzeigetext" edit of item 1 */
#define IDC_MENU_TITLE 591         /* the title edit */
#define IDC_MENU_TARGET 601        /* "Sprung zu" combo of item 1 */
#define IDC_MENU_NAME 690          /* "Name :" */
#define IDC_MENU_FONT 691          /* "Schriftart :" */
#define IDC_MENU_ESC 692           /* "Esc :" */
