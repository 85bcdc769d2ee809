// Resource ids other than the command ids: bitmaps, string-table entries that are no
// command, and the controls of the guide dialogs. Plain macros, because the resource
// compiler includes this header too.
#ifndef TAVOLIN_RESOURCES_RESOURCE_IDS_H
#define TAVOLIN_RESOURCES_RESOURCE_IDS_H

// Toolbar bitmaps (strips of 32 x 32 images, 16 colours).
#define BMP_TOOLBAR_BASE 1050         // 4 images: design screen, mnemonic screen, monitor screen, (spare)
#define BMP_TOOLBAR_DESIGN 1100       // 16 images of the design toolbar
#define BMP_TOOLBAR_DESIGN_KEYS 1105  // the same 16 with their function keys drawn in (option bit 1)
#define BMP_TOOLBAR_MONITOR 1200      // 11 images of the monitor toolbar
#define BMP_TOOLBAR_MNEMONIC 1020     // 9 images of the mnemonic toolbar

#define BMP_TOOLBAR_BASE_IMAGES 4
#define BMP_TOOLBAR_DESIGN_IMAGES 16
#define BMP_TOOLBAR_MONITOR_IMAGES 11
#define BMP_TOOLBAR_MNEMONIC_IMAGES 9
#define TOOLBAR_IMAGE_SIZE 32

// String-table entry shown while a popup (not a command) is highlighted in a menu.
#define STR_POPUP_HELP 71

// Controls of the guide dialogs (INITFRDIALOG, SETUOEKDIALOG, SETUJIKDIALOG, SETUPICDIALOG).
#define IDC_GUIDE_BUTTON_1 591        // first action button (a sample, a screen, a display)
#define IDC_GUIDE_BUTTON_2 592        // second action button
#define IDC_GUIDE_DONT_SHOW 553       // check box "今後これらを表示しない" (not automatic)
#define IDC_GUIDE_TEXT_657 657        // explanatory texts 657..668
#define IDC_GUIDE_TEXT_658 658
#define IDC_GUIDE_TEXT_659 659
#define IDC_GUIDE_TEXT_660 660
#define IDC_GUIDE_TEXT_661 661
#define IDC_GUIDE_TEXT_662 662
#define IDC_GUIDE_TEXT_663 663
#define IDC_GUIDE_TEXT_664 664
#define IDC_GUIDE_TEXT_665 665
#define IDC_GUIDE_TEXT_666 666
#define IDC_GUIDE_TEXT_667 667
#define IDC_GUIDE_TEXT_668 668

#endif
