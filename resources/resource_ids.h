/* Resource ids shared by the resource script and the code, per resource.
   Plain #defines only: the resource compiler reads this file too. */
#ifndef KORVU_RESOURCE_IDS_H
#define KORVU_RESOURCE_IDS_H

/* Menu UX1_MENU; the command ids are the module classes' command ids. */
#define IDM_TOVEL_OUT               2950
#define IDM_TOVEL_IN                2951
#define MENU_ENTRY_SETUP            4990    /* registered with the host */

/* String table */
#define IDS_TOVEL_OUT_SHORT         2950    /* "Tovel OUT" */
#define IDS_TOVEL_IN_SHORT          2951    /* "Tovel IN " */
#define IDS_TOVEL_OUT_LONG          3950    /* "Tovel OutPort" */
#define IDS_TOVEL_IN_LONG           3951    /* "Tovel InPort" */
#define IDS_MODULE_VERSION          3952    /* "Tovel Module Version 2.0" */
#define IDS_DATA_INPUT              3957    /* described by the input module, code 124 */

/* Dialog ABOUTVESKA */
#define IDC_ABOUT_VERSION           1007

/* Dialog DEV_SEL, the hardware selection */
#define IDC_BOARD_LIST              103
#define IDC_IO_ADDRESS              1001
#define IDC_IO_LENGTH               1002
#define IDC_SWITCH_VALUE            1003
#define IDC_SELECTION_LOGSLOT       1011    /* hidden, never filled */
#define IDC_PORT_LIST               1012

/* Dialogs TOVEL_OUT and TOVEL_IN, the module settings */
#define IDC_HELP_BUTTON             9
#define IDC_VERSION_BUTTON          1006
#define IDC_SHOWN_SLOT              1011
#define IDC_SHOWN_PORT              1016
#define IDC_LESS                    23000
#define IDC_MORE                    23001
#define IDC_CHANNEL_0               23002   /* channel button n is IDC_CHANNEL_0 + n, n = 0..15 */
#define IDC_MODULE_NAME             23018
#define IDC_DESCRIPTION             23019
#define IDC_SELECTED_CHANNEL        23020
#define IDC_CHANNEL_NAME            23021

/* Bitmaps of the module classes: ICO_TOVEL_OUT, ICO_TOVEL_IN (26 x 24),
   BM_PCI_OUT, BM_PCI_IN (64 x 46), all named resources. */

#endif
